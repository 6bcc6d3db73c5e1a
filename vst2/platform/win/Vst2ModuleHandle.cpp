// The module instance of the DLL this code is linked into, found from the code's own address; the
// count of references is left alone, so the module still unloads when the host frees it.
#include "vst2/IEffectVST.h"

#include <windows.h>

namespace vellicor::vst2
{
void RecordModuleHandle()
{
    HMODULE module = nullptr;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&RecordModuleHandle), &module))
        ModuleHandle = module;
}
} // namespace vellicor::vst2
