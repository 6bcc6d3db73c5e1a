#pragma once
// Runs a program as a child process and collects its exit code, stdout and stderr.
#include <string>
#include <vector>

struct ToolResult
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

// signalAfterMs >= 0: sends signal to the child that many milliseconds after starting it.
ToolResult RunTool(const std::string& program, const std::vector<std::string>& args, int signalAfterMs = -1,
                   int signal = 0);

// A fresh folder under the system's temporary folder, removed with everything in it on destruction.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string Path(const std::string& name) const { return path + "/" + name; }
    std::vector<std::string> Entries() const; // names, sorted, hidden ones included

private:
    std::string path;
};
