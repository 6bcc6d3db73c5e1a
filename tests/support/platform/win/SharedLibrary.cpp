#include "tests/support/SharedLibrary.h"

#include <windows.h>

#include <algorithm>

namespace
{
// The build hands Unix paths; under Wine a rooted path with backslashes names the same file on the
// current drive.
std::string NativePath(const char* path)
{
    std::string native(path ? path : "");
    std::replace(native.begin(), native.end(), '/', '\\');
    return native;
}
} // namespace

SharedLibrary::SharedLibrary(const char* path) : handle(LoadLibraryA(NativePath(path).c_str()))
{
    if (!handle) error = "LoadLibrary failed with error " + std::to_string(GetLastError());
}

SharedLibrary::~SharedLibrary()
{
    if (handle) FreeLibrary(static_cast<HMODULE>(handle));
}

void* SharedLibrary::Symbol(const char* name) const
{
    return handle ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name)) : nullptr;
}
