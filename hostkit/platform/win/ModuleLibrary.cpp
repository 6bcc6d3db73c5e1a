#include "hostkit/ModuleLibrary.h"

#include <windows.h>

#include <algorithm>

namespace hostkit
{
ModuleLibrary::~ModuleLibrary()
{
    Close();
}

bool ModuleLibrary::Open(const std::string& path, std::string& error)
{
    Close();
    // The build hands Unix paths; under Wine a rooted path with backslashes names the same file on the
    // current drive.
    std::string native = path;
    std::replace(native.begin(), native.end(), '/', '\\');
    handle = LoadLibraryA(native.c_str());
    if (!handle)
    {
        error = "cannot load " + path + ": error " + std::to_string(GetLastError());
        return false;
    }
    return true;
}

void ModuleLibrary::Close()
{
    if (handle) FreeLibrary(static_cast<HMODULE>(handle));
    handle = nullptr;
}

void* ModuleLibrary::Symbol(const char* name) const
{
    return handle ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name)) : nullptr;
}
} // namespace hostkit
