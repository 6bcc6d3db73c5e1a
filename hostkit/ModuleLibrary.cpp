#include "hostkit/ModuleLibrary.h"

#include <dlfcn.h>

namespace hostkit
{
ModuleLibrary::~ModuleLibrary()
{
    Close();
}

bool ModuleLibrary::Open(const std::string& path, std::string& error)
{
    Close();
    // RTLD_LOCAL: the module's own symbols (hidden anyway) never bind to ours.
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
    {
        const char* text = dlerror();
        std::string reason = text ? text : "unknown reason";
        // dlerror leads with the path, which the message already names.
        if (reason.rfind(path + ": ", 0) == 0) reason.erase(0, path.size() + 2);
        error = "cannot load " + path + ": " + reason;
        return false;
    }
    return true;
}

void ModuleLibrary::Close()
{
    if (handle) dlclose(handle);
    handle = nullptr;
}

void* ModuleLibrary::Symbol(const char* name) const
{
    return handle ? dlsym(handle, name) : nullptr;
}
} // namespace hostkit
