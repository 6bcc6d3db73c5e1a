// The library entry point records the module instance when the process attaches; InitDll hands it
// on to the editor, which loads its artwork and registers its window class through it.
#include "vellicor/modules/vst3/Vst3Module.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) vellicor::vst3::ModuleHandle = instance;
    return TRUE;
}
