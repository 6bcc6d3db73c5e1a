#pragma once
// The manual page printed by --help.
const char* HelpText();
