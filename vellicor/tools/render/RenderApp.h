#pragma once
// The whole program behind main(): options, plug-in, files, render, summary. Answers the exit code.
int RunRenderApp(int argc, char** argv);
