#include "hostkit/Vst3Module.h"

#include <sys/stat.h>

using namespace Steinberg;

namespace hostkit
{
namespace
{
using GetFactoryProc = IPluginFactory*(PLUGIN_API*)();
using ModuleEntryProc = bool (*)(void*);
using BoolProc = bool (*)();
} // namespace

bool Vst3Module::Open(const std::string& modulePath, std::string& error)
{
    Close();
    if (!library.Open(modulePath, error)) return false;
    auto getFactory = library.Entry<GetFactoryProc>("GetPluginFactory");
    if (!getFactory)
    {
        error = modulePath + " is not a VST3 module (no GetPluginFactory)";
        return false;
    }
    if (auto entry = library.Entry<ModuleEntryProc>("ModuleEntry"))
    {
        if (!entry(library.Handle()))
        {
            error = modulePath + ": ModuleEntry failed";
            return false;
        }
        entered = true;
    }
    if (auto init = library.Entry<BoolProc>("InitDll"))
    {
        if (!init())
        {
            error = modulePath + ": InitDll failed";
            return false;
        }
        initialised = true;
    }
    factory = getFactory();
    if (!factory)
    {
        error = modulePath + ": GetPluginFactory gave no factory";
        return false;
    }
    return true;
}

void Vst3Module::Close()
{
    if (factory) factory->release();
    factory = nullptr;
    if (initialised)
        if (auto exitDll = library.Entry<BoolProc>("ExitDll")) exitDll();
    if (entered)
        if (auto exit = library.Entry<BoolProc>("ModuleExit")) exit();
    initialised = entered = false;
    library.Close();
}

std::string Vst3Module::ModulePath(const std::string& path)
{
    struct stat st
    {
    };
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    {
        std::string bundle = path;
        while (bundle.size() > 1 && bundle.back() == '/')
            bundle.pop_back();
        const size_t slash = bundle.find_last_of('/');
        std::string stem = slash == std::string::npos ? bundle : bundle.substr(slash + 1);
        if (stem.size() > 5 && stem.compare(stem.size() - 5, 5, ".vst3") == 0) stem.resize(stem.size() - 5);
        return bundle + "/Contents/x86_64-linux/" + stem + ".so";
    }
    return path;
}
} // namespace hostkit
