#include "tests/support/SharedLibrary.h"

#include <dlfcn.h>

SharedLibrary::SharedLibrary(const char* path) : handle(dlopen(path, RTLD_NOW | RTLD_LOCAL))
{
    if (!handle) error = dlerror();
}

SharedLibrary::~SharedLibrary()
{
    if (handle) dlclose(handle);
}

void* SharedLibrary::Symbol(const char* name) const
{
    return handle ? dlsym(handle, name) : nullptr;
}
