#include "tests/vst2/Vst2TestHost.h"

Vst2TestHost::Vst2TestHost()
{
    productName = "Test Host";
    productTextBytes = 256;  // more than the published 64: the plug-in's buffer must take it
    vendorVersion = 1020304; // 102.3.4
}

intptr_t Vst2TestHost::HostCall(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt)
{
    calls.push_back({effect, opcode, index, value, opt});
    return Vst2Host::HostCall(effect, opcode, index, value, ptr, opt);
}

std::vector<RecordedCall> Vst2TestHost::CallsOf(int32_t opcode) const
{
    std::vector<RecordedCall> out;
    for (const RecordedCall& c : calls)
        if (c.opcode == opcode) out.push_back(c);
    return out;
}
