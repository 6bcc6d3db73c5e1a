// Entry points of the VST3 module. Linux hosts call ModuleEntry once after loading and ModuleExit
// before unloading, in the place of the Windows library entry point.
#include "vst3/VST3Module.h"

#include "vst3/CPluginFactory.h"
#include "vst3/IEffectVST3.h"

#include "pluginterfaces/base/ipluginbase.h"

#include <cstring>

using namespace Steinberg;

namespace vellicor::vst3
{
void* ModuleHandle = nullptr;
void* PluginInstanceHandle = nullptr;

std::mutex& PluginCreationLock()
{
    static std::mutex lock;
    return lock;
}

FUnknown* CreatePluginInstance(void*)
{
    IEffectVST3* plugin = MakePlugin();
    if (!plugin) return nullptr;
    return static_cast<Vst::IAudioProcessor*>(plugin);
}

namespace
{
// {F2AEE70D-00DE-4F4E-4F76-446E6E753276}: words 0xF2AEE70D, 0x00DE4F4E, 'OvDn', 'nu2v' laid out in
// COM order, the same bytes on every platform so that projects find the plug-in everywhere.
constexpr unsigned char kClassId[16] = {0x0D, 0xE7, 0xAE, 0xF2, 0xDE, 0x00, 0x4E, 0x4F,
                                        0x4F, 0x76, 0x44, 0x6E, 0x6E, 0x75, 0x32, 0x76};

const PFactoryInfo& FactoryInfo()
{
    static const PFactoryInfo info("Ovidane", "https://www.ovidane.com", "", PFactoryInfo::kUnicode);
    return info;
}

const PClassInfo2& ClassInfo()
{
    static const PClassInfo2 info = []
    {
        TUID cid;
        std::memcpy(cid, kClassId, sizeof cid);
        return PClassInfo2(cid, PClassInfo::kManyInstances, "Audio Module Class", "Vellicor",
                           1 << 1 /* simple mode: processor and controller are one object */, "Fx", "",
                           "3.2.0", "VST 3.6.5");
    }();
    return info;
}
} // namespace
} // namespace vellicor::vst3

using namespace vellicor::vst3;

extern "C"
{

    SMTG_EXPORT_SYMBOL bool ModuleEntry(void* sharedLibraryHandle)
    {
        ModuleHandle = sharedLibraryHandle;
        return true;
    }

    SMTG_EXPORT_SYMBOL bool ModuleExit()
    {
        return true;
    }

    SMTG_EXPORT_SYMBOL bool InitDll()
    {
        PluginInstanceHandle = ModuleHandle;
        return true;
    }

    SMTG_EXPORT_SYMBOL bool ExitDll()
    {
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
