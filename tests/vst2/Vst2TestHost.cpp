#include "tests/vst2/Vst2TestHost.h"

#include <cstring>

namespace
{
Vst2TestHost* current = nullptr;
}

Vst2TestHost::Vst2TestHost()
{
    current = this;
}

Vst2TestHost::~Vst2TestHost()
{
    if (current == this) current = nullptr;
}

intptr_t Vst2TestHost::Callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt)
{
    Vst2TestHost* host = current;
    if (!host) return 0;
    host->calls.push_back({effect, opcode, index, value, opt});
    switch (opcode)
    {
    case audioMasterGetProductString:
        // The published product-string buffer is 64 bytes; the plug-in offers more.
        std::strncpy(static_cast<char*>(ptr), host->productName.c_str(), 255);
        return 1;
    case audioMasterGetVendorVersion:
        return host->vendorVersion;
    case audioMasterGetTime:
        return host->giveTime ? reinterpret_cast<intptr_t>(&host->time) : 0;
    case audioMasterVersion:
        return 2400;
    default:
        return 0;
    }
}

std::vector<HostCall> Vst2TestHost::CallsOf(int32_t opcode) const
{
    std::vector<HostCall> out;
    for (const HostCall& c : calls)
        if (c.opcode == opcode) out.push_back(c);
    return out;
}

intptr_t Dispatch(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

std::string DispatchText(AEffect* e, int32_t opcode, int32_t index, size_t bufferSize)
{
    std::vector<char> buffer(bufferSize, '\0');
    Dispatch(e, opcode, index, 0, buffer.data());
    buffer.back() = '\0';
    return buffer.data();
}
