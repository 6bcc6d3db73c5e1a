#pragma once
// The built vellicor_vst3 bundle loaded as a Linux host loads it (the host toolkit's module), with
// the class ID written out here so that the tests check the module's identity from outside.
#include "hostkit/Vst3Module.h"

#include <string>

namespace testhost
{
using namespace Steinberg;

constexpr unsigned char kClassId[16] = {0x0D, 0xE7, 0xAE, 0xF2, 0xDE, 0x00, 0x4E, 0x4F,
                                        0x4F, 0x76, 0x44, 0x6E, 0x6E, 0x75, 0x32, 0x76};

using FactoryFn = IPluginFactory* (*)();

// One loaded module, as a host holds it.
struct Module : hostkit::Vst3Module
{
    Module() { Open(VELLICOR_VST3_MODULE, error); }
    template <typename I> I* Create(const TUID iid = I::iid) const
    {
        return Vst3Module::Create<I>(kClassId, iid);
    }
    IPluginFactory* FactoryAgain() const { return Library().Entry<FactoryFn>("GetPluginFactory")(); }
    void* Handle() const { return Library().Handle(); }

    std::string error;
};
} // namespace testhost
