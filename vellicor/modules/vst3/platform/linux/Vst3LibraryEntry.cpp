// Linux hosts call ModuleEntry once after loading the module and ModuleExit before unloading it, in
// the place of the Windows library entry point.
#include "vellicor/modules/vst3/Vst3Module.h"

#include "gui/IGraphicsCaches.h"

#include "pluginterfaces/base/fplatform.h"

extern "C"
{

    SMTG_EXPORT_SYMBOL bool ModuleEntry(void* sharedLibraryHandle)
    {
        vellicor::vst3::ModuleHandle = sharedLibraryHandle;
        return true;
    }

    // The editors' shared bitmaps and fonts go when the host unloads the module.
    SMTG_EXPORT_SYMBOL bool ModuleExit()
    {
        IGraphicsCaches::FreeAll();
        return true;
    }
}
