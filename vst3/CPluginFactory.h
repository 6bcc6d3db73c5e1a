#pragma once
// The module's class factory: one registered class, served through IPluginFactory, IPluginFactory2
// and IPluginFactory3. At most one factory lives at a time (gPluginFactory); its destructor clears
// the pointer, so a later GetPluginFactory builds a new one.
//
// Threads: any host thread; the host asks for the factory before any instance exists.
#include "pluginterfaces/base/ipluginbase.h"

#include <atomic>

class CPluginFactory : public Steinberg::IPluginFactory3
{
public:
    using CreateFunction = Steinberg::FUnknown* (*)(void* context);

    explicit CPluginFactory(const Steinberg::PFactoryInfo& info);
    virtual ~CPluginFactory();
    CPluginFactory(const CPluginFactory&) = delete;
    CPluginFactory& operator=(const CPluginFactory&) = delete;

    // Registers the one class; a second registration replaces the first.
    bool registerClass(const Steinberg::PClassInfo2* info, CreateFunction create, void* context);

    // ---- FUnknown ----
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) SMTG_OVERRIDE;
    Steinberg::uint32 PLUGIN_API addRef() SMTG_OVERRIDE;
    Steinberg::uint32 PLUGIN_API release() SMTG_OVERRIDE;

    // ---- IPluginFactory ----
    Steinberg::tresult PLUGIN_API getFactoryInfo(Steinberg::PFactoryInfo* info) SMTG_OVERRIDE;
    Steinberg::int32 PLUGIN_API countClasses() SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getClassInfo(Steinberg::int32 index,
                                               Steinberg::PClassInfo* info) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API createInstance(Steinberg::FIDString cid, Steinberg::FIDString iid,
                                                 void** obj) SMTG_OVERRIDE;

    // ---- IPluginFactory2 ----
    Steinberg::tresult PLUGIN_API getClassInfo2(Steinberg::int32 index,
                                                Steinberg::PClassInfo2* info) SMTG_OVERRIDE;

    // ---- IPluginFactory3 ----
    Steinberg::tresult PLUGIN_API getClassInfoUnicode(Steinberg::int32 index,
                                                      Steinberg::PClassInfoW* info) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API setHostContext(Steinberg::FUnknown* context) SMTG_OVERRIDE;

private:
    std::atomic<Steinberg::int32> refCount{1};
    Steinberg::PFactoryInfo factoryInfo;
    Steinberg::PClassInfo2 classInfo;
    CreateFunction createFunction = nullptr;
    void* createContext = nullptr;
};

// The live factory, or null.
extern CPluginFactory* gPluginFactory;
