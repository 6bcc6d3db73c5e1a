#pragma once
// A VST2 host for tests: a host callback that records every call and answers the few questions the
// plug-in asks (product string, vendor version, transport time), and helpers that drive an effect
// record through its function pointers only, as a real host does.
#include "vst2/Vst2Abi.h"

#include <cstdint>
#include <string>
#include <vector>

struct HostCall
{
    AEffect* effect;
    int32_t opcode;
    int32_t index;
    intptr_t value;
    float opt;
};

class Vst2TestHost
{
public:
    Vst2TestHost();
    ~Vst2TestHost();
    Vst2TestHost(const Vst2TestHost&) = delete;
    Vst2TestHost& operator=(const Vst2TestHost&) = delete;

    // The callback to hand to VSTPluginMain; it reports to the host created last.
    static intptr_t Callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                             float opt);

    std::vector<HostCall> CallsOf(int32_t opcode) const;
    int CountOf(int32_t opcode) const { return static_cast<int>(CallsOf(opcode).size()); }

    std::vector<HostCall> calls;
    std::string productName = "Test Host";
    intptr_t vendorVersion = 1020304; // 102.3.4
    bool giveTime = true;
    VstTimeInfo time{};
};

// Thin wrappers over the effect record's entry points.
intptr_t Dispatch(AEffect* e, int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                  float opt = 0.0f);
std::string DispatchText(AEffect* e, int32_t opcode, int32_t index = 0, size_t bufferSize = 256);
