#include "hostkit/Vst2Host.h"

#include <cstring>
#include <vector>

namespace hostkit
{
namespace
{
constexpr intptr_t kHostVstVersion = 2400;

Vst2Host* latest = nullptr;
} // namespace

Vst2Host::Vst2Host()
{
    latest = this;
}

Vst2Host::~Vst2Host()
{
    if (latest == this) latest = nullptr;
}

intptr_t Vst2Host::Callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                            float opt)
{
    Vst2Host* host = effect && effect->user ? static_cast<Vst2Host*>(effect->user) : latest;
    return host ? host->HostCall(effect, opcode, index, value, ptr, opt) : 0;
}

AEffect* Vst2Host::Create(VstPluginMainProc entry)
{
    if (!entry) return nullptr;
    Vst2Host* before = latest;
    latest = this; // the plug-in may call back before its record reaches us
    AEffect* effect = entry(&Callback);
    latest = before;
    if (!effect || effect->magic != kEffectMagic) return nullptr;
    effect->user = this;
    return effect;
}

intptr_t Vst2Host::HostCall(AEffect*, int32_t opcode, int32_t, intptr_t, void* ptr, float)
{
    switch (opcode)
    {
    case audioMasterVersion:
        return kHostVstVersion;
    case audioMasterGetTime:
        return giveTime ? reinterpret_cast<intptr_t>(&time) : 0;
    case audioMasterGetProductString:
        if (!ptr) return 0;
        std::strncpy(static_cast<char*>(ptr), productName.c_str(), productTextBytes - 1);
        static_cast<char*>(ptr)[productTextBytes - 1] = '\0';
        return 1;
    case audioMasterGetVendorVersion:
        return vendorVersion;
    default:
        return 0;
    }
}

VstPluginMainProc FindVst2Entry(const ModuleLibrary& library)
{
    if (auto entry = library.Entry<VstPluginMainProc>("VSTPluginMain")) return entry;
    return library.Entry<VstPluginMainProc>("main");
}

intptr_t Dispatch(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    return effect ? effect->dispatcher(effect, opcode, index, value, ptr, opt) : 0;
}

std::string DispatchText(AEffect* effect, int32_t opcode, int32_t index, size_t bufferSize)
{
    std::vector<char> buffer(bufferSize, '\0');
    Dispatch(effect, opcode, index, 0, buffer.data());
    buffer.back() = '\0';
    return buffer.data();
}
} // namespace hostkit
