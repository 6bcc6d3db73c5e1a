// Entry points of the VST3 module common to every platform. The library entry point that records
// ModuleHandle is the platform's own (platform/<os>/Vst3LibraryEntry.cpp beside this file).
#include "vellicor/modules/vst3/Vst3Module.h"

#include "gui/IGraphicsCaches.h"
#include "vellicor/plugin/VellicorIdentity.h"
#include "vst3/CPluginFactory.h"
#include "vst3/IEffectVST3.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"

#include <cstring>

using namespace Steinberg;

namespace vellicor::vst3
{
void* ModuleHandle = nullptr;
void* PluginInstanceHandle = nullptr;

FUnknown* CreatePluginInstance(void*)
{
    IEffectVST3* plugin = MakePlugin();
    if (!plugin) return nullptr;
    return static_cast<Vst::IAudioProcessor*>(plugin);
}

namespace
{
namespace id = vellicor::identity;

const PFactoryInfo& FactoryInfo()
{
    static const PFactoryInfo info(id::kMakerName, id::kMakerUrl, id::kMakerEmail, PFactoryInfo::kUnicode);
    return info;
}

const PClassInfo2& ClassInfo()
{
    static const PClassInfo2 info = []
    {
        TUID cid;
        std::memcpy(cid, id::kVst3ClassId, sizeof cid);
        // Simple mode: processor and controller are one object.
        return PClassInfo2(cid, PClassInfo::kManyInstances, id::kVst3Category, id::kEffectName,
                           Vst::kSimpleModeSupported, id::kVst3SubCategories, "", id::kVersionText,
                           id::kVst3SdkVersion);
    }();
    return info;
}
} // namespace
} // namespace vellicor::vst3

using namespace vellicor::vst3;

extern "C"
{

    SMTG_EXPORT_SYMBOL bool InitDll()
    {
        PluginInstanceHandle = ModuleHandle;
        return true;
    }

    SMTG_EXPORT_SYMBOL bool ExitDll()
    {
        IGraphicsCaches::FreeAll();
        return true;
    }

    SMTG_EXPORT_SYMBOL IPluginFactory* PLUGIN_API GetPluginFactory()
    {
        if (gPluginFactory)
        {
            gPluginFactory->addRef();
            return gPluginFactory;
        }
        gPluginFactory = new CPluginFactory(FactoryInfo());
        gPluginFactory->registerClass(&ClassInfo(), CreatePluginInstance, nullptr);
        return gPluginFactory;
    }
}
