#pragma once
// A loaded shared library (dlopen), closed when the object dies.
#include <string>

namespace hostkit
{
class ModuleLibrary
{
public:
    ModuleLibrary() = default;
    ~ModuleLibrary();
    ModuleLibrary(const ModuleLibrary&) = delete;
    ModuleLibrary& operator=(const ModuleLibrary&) = delete;

    // On failure error reads "cannot load <path>: <reason>".
    bool Open(const std::string& path, std::string& error);
    void Close();
    void* Symbol(const char* name) const;
    template <typename Function> Function Entry(const char* name) const
    {
        return reinterpret_cast<Function>(Symbol(name));
    }
    void* Handle() const { return handle; }

private:
    void* handle = nullptr;
};
} // namespace hostkit
