#pragma once
// A loaded shared library (dlopen), closed when the object dies.
#include <string>

class ModuleLibrary
{
public:
    ModuleLibrary() = default;
    ~ModuleLibrary();
    ModuleLibrary(const ModuleLibrary&) = delete;
    ModuleLibrary& operator=(const ModuleLibrary&) = delete;

    bool Open(const std::string& path, std::string& error);
    void Close();
    void* Symbol(const char* name) const;
    void* Handle() const { return handle; }

private:
    void* handle = nullptr;
};
