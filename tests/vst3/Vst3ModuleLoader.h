#pragma once
// The built vellicor_vst3 bundle loaded as a Linux host loads it: dlopen, ModuleEntry, InitDll,
// GetPluginFactory, and instances of its one class.
#include "pluginterfaces/base/ipluginbase.h"

#include <dlfcn.h>

namespace testhost
{
using namespace Steinberg;

constexpr unsigned char kClassId[16] = {0x0D, 0xE7, 0xAE, 0xF2, 0xDE, 0x00, 0x4E, 0x4F,
                                        0x4F, 0x76, 0x44, 0x6E, 0x6E, 0x75, 0x32, 0x76};

using ModuleEntryFn = bool (*)(void*);
using BoolFn = bool (*)();
using FactoryFn = IPluginFactory* (*)();

// One loaded module, as a host holds it.
struct Module
{
    Module()
    {
        handle = dlopen(VELLICOR_VST3_MODULE, RTLD_NOW | RTLD_LOCAL);
        if (!handle) return;
        moduleEntry = reinterpret_cast<ModuleEntryFn>(dlsym(handle, "ModuleEntry"));
        moduleExit = reinterpret_cast<BoolFn>(dlsym(handle, "ModuleExit"));
        initDll = reinterpret_cast<BoolFn>(dlsym(handle, "InitDll"));
        exitDll = reinterpret_cast<BoolFn>(dlsym(handle, "ExitDll"));
        getFactory = reinterpret_cast<FactoryFn>(dlsym(handle, "GetPluginFactory"));
        if (moduleEntry && initDll && getFactory && moduleEntry(handle) && initDll()) factory = getFactory();
    }
    ~Module()
    {
        if (factory) factory->release();
        if (exitDll) exitDll();
        if (moduleExit) moduleExit();
        if (handle) dlclose(handle);
    }
    template <typename I> I* Create(const TUID iid = I::iid)
    {
        void* obj = nullptr;
        if (factory->createInstance(reinterpret_cast<FIDString>(kClassId), iid, &obj) != kResultOk)
            return nullptr;
        return static_cast<I*>(obj);
    }

    void* handle = nullptr;
    ModuleEntryFn moduleEntry = nullptr;
    BoolFn moduleExit = nullptr, initDll = nullptr, exitDll = nullptr;
    FactoryFn getFactory = nullptr;
    IPluginFactory* factory = nullptr;
};

template <typename I> I* Query(FUnknown* from)
{
    void* obj = nullptr;
    if (!from || from->queryInterface(I::iid, &obj) != kResultOk) return nullptr;
    return static_cast<I*>(obj);
}
} // namespace testhost
