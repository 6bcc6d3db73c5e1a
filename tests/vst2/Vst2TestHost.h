#pragma once
// A VST2 host for tests: the host kit's callback, recording every call the plug-in makes. Effects
// are driven through their function pointers only (hostkit::Dispatch), as a real host does.
#include "hostkit/Vst2Host.h"

#include <cstdint>
#include <string>
#include <vector>

using hostkit::Dispatch;
using hostkit::DispatchText;

struct RecordedCall
{
    AEffect* effect;
    int32_t opcode;
    int32_t index;
    intptr_t value;
    float opt;
};

class Vst2TestHost : public hostkit::Vst2Host
{
public:
    Vst2TestHost();

    std::vector<RecordedCall> CallsOf(int32_t opcode) const;
    int CountOf(int32_t opcode) const { return static_cast<int>(CallsOf(opcode).size()); }

    std::vector<RecordedCall> calls;

protected:
    intptr_t HostCall(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                      float opt) override;
};
