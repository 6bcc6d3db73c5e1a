#pragma once
// A VST3 module as a Linux host holds it: the library, its entry calls (ModuleEntry, then InitDll
// where exported) and its factory; the exit calls and the unload come with Close.
#include "hostkit/ModuleLibrary.h"

#include "pluginterfaces/base/ipluginbase.h"

#include <string>

namespace hostkit
{
class Vst3Module
{
public:
    Vst3Module() = default;
    ~Vst3Module() { Close(); }
    Vst3Module(const Vst3Module&) = delete;
    Vst3Module& operator=(const Vst3Module&) = delete;

    // modulePath: the shared library (see ModulePath for bundles). On failure error says why,
    // naming the path once.
    bool Open(const std::string& modulePath, std::string& error);
    void Close();

    Steinberg::IPluginFactory* Factory() const { return factory; }
    const ModuleLibrary& Library() const { return library; }
    // A new instance of class cid answering I, or null.
    template <typename I> I* Create(const unsigned char* cid, const Steinberg::TUID iid = I::iid) const
    {
        void* obj = nullptr;
        if (!factory || factory->createInstance(reinterpret_cast<Steinberg::FIDString>(cid), iid, &obj) !=
                            Steinberg::kResultOk)
            return nullptr;
        return static_cast<I*>(obj);
    }

    // The shared library inside a .vst3 bundle folder, or path itself when it names a file.
    static std::string ModulePath(const std::string& path);

private:
    ModuleLibrary library;
    Steinberg::IPluginFactory* factory = nullptr;
    bool entered = false, initialised = false;
};
} // namespace hostkit
