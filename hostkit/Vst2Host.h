#pragma once
// A VST2 host's side of the C ABI: the callback a plug-in calls, with the answers every host gives
// (host version, product, vendor version, transport time), and thin wrappers over the effect
// record's entry points. One thread at a time.
#include "hostkit/ModuleLibrary.h"

#include "vst2/Vst2Abi.h"

#include <cstdint>
#include <string>

namespace hostkit
{
class Vst2Host
{
public:
    Vst2Host();
    virtual ~Vst2Host();
    Vst2Host(const Vst2Host&) = delete;
    Vst2Host& operator=(const Vst2Host&) = delete;

    // The callback to hand to a VST2 entry. Calls from an effect this host created go to it; others
    // (an entry still running, or an effect created with the callback directly) go to the host
    // constructed last.
    static intptr_t Callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                             float opt);
    // Creates an effect through entry and marks it as this host's; null when the entry gives none.
    AEffect* Create(VstPluginMainProc entry);

    std::string productName = "hostkit";
    size_t productTextBytes = 64; // the published buffer size; the plug-in offers more
    intptr_t vendorVersion = 1;
    bool giveTime = true;
    VstTimeInfo time{};

protected:
    // Answers one call of the plug-in; overrides record or refine and may call this.
    virtual intptr_t HostCall(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                              float opt);
};

// VSTPluginMain, or the older "main", of a loaded library; null when neither is exported.
VstPluginMainProc FindVst2Entry(const ModuleLibrary& library);

intptr_t Dispatch(AEffect* effect, int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                  float opt = 0.0f);
// A text request answered into a buffer of bufferSize bytes (terminated whatever the plug-in does).
std::string DispatchText(AEffect* effect, int32_t opcode, int32_t index = 0, size_t bufferSize = 256);
} // namespace hostkit
