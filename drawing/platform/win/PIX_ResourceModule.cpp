// Windows resources: the module's "PNG" resources (a .rc file compiled by windres) found by integer id,
// then the tables registered at run time. No module given means the module holding this code, as the
// Linux tables are the module's own.
#include "drawing/PIX_Resources.h"

#include <windows.h>

namespace
{
HMODULE OwnModule()
{
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&OwnModule), &self);
    return self;
}
} // namespace

bool PIX_FindResource(PIX_ModuleHandle module, int32_t id, const unsigned char** data, size_t* size)
{
    HMODULE instance = module ? static_cast<HMODULE>(module) : OwnModule();
    HRSRC found = instance ? FindResourceA(instance, MAKEINTRESOURCEA(id & 0xFFFF), "PNG") : nullptr;
    if (!found) return PIX_FindRegisteredResource(id, data, size);
    const DWORD bytes = SizeofResource(instance, found);
    HGLOBAL loaded = LoadResource(instance, found);
    const void* locked = loaded ? LockResource(loaded) : nullptr;
    if (!locked) return false;
    *data = static_cast<const unsigned char*>(locked);
    *size = bytes;
    return true;
}
