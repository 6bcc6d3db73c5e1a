#include "tests/vst3/TestHost.h"

#include <algorithm>
#include <cmath>

namespace testhost
{
Text16 U16(const char* text)
{
    Text16 out;
    for (const char* p = text; p && *p; ++p)
        out.push_back(static_cast<TChar>(static_cast<unsigned char>(*p)));
    return out;
}

std::string U8(const TChar* text)
{
    std::string out;
    for (const TChar* p = text; p && *p; ++p)
        out.push_back(*p < 0x80 ? static_cast<char>(*p) : '?');
    return out;
}

tresult PLUGIN_API HostApplication::getName(String128 out)
{
    const size_t n = std::min<size_t>(name.size(), 127);
    std::copy(name.begin(), name.begin() + static_cast<long>(n), out);
    out[n] = 0;
    return nameFails ? kResultFalse : kResultOk;
}

tresult PLUGIN_API HostApplication::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, IHostApplication::iid) ||
        FUnknownPrivate::iidEqual(iid, FUnknown::iid))
    {
        *obj = static_cast<IHostApplication*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

tresult PLUGIN_API ParamQueue::getPoint(int32 index, int32& offset, ParamValue& value)
{
    if (index < 0 || index >= static_cast<int32>(points.size())) return kResultFalse;
    offset = points[static_cast<size_t>(index)].first;
    value = points[static_cast<size_t>(index)].second;
    return kResultOk;
}

tresult PLUGIN_API ParamQueue::addPoint(int32 offset, ParamValue value, int32& index)
{
    points.emplace_back(offset, value);
    index = static_cast<int32>(points.size()) - 1;
    return kResultOk;
}

ParamChanges& ParamChanges::Add(ParamID id, std::vector<ParamValue> values)
{
    ParamQueue q(id);
    int32 offset = 0;
    for (ParamValue v : values)
        q.points.emplace_back(offset++ * 7, v);
    queues.push_back(q);
    return *this;
}

IParamValueQueue* PLUGIN_API ParamChanges::getParameterData(int32 index)
{
    if (index < 0 || index >= static_cast<int32>(queues.size())) return nullptr;
    return &queues[static_cast<size_t>(index)];
}

IParamValueQueue* PLUGIN_API ParamChanges::addParameterData(const ParamID& id, int32& index)
{
    queues.emplace_back(id);
    index = static_cast<int32>(queues.size()) - 1;
    return &queues.back();
}

tresult PLUGIN_API Stream::read(void* buffer, int32 numBytes, int32* numBytesRead)
{
    ++reads;
    const size_t n = std::min<size_t>(static_cast<size_t>(std::max(numBytes, 0)), bytes.size() - position);
    if (n) std::memcpy(buffer, bytes.data() + position, n);
    position += n;
    if (numBytesRead) *numBytesRead = static_cast<int32>(n);
    return kResultOk;
}

tresult PLUGIN_API Stream::write(void* buffer, int32 numBytes, int32* numBytesWritten)
{
    ++writes;
    if (failWrites)
    {
        if (numBytesWritten) *numBytesWritten = 0;
        return kResultFalse;
    }
    const auto* p = static_cast<const uint8_t*>(buffer);
    bytes.insert(bytes.end(), p, p + std::max(numBytes, 0));
    if (numBytesWritten) *numBytesWritten = numBytes;
    return kResultOk;
}

tresult PLUGIN_API Stream::seek(int64 pos, int32 mode, int64* result)
{
    int64 base = mode == kIBSeekSet   ? 0
                 : mode == kIBSeekCur ? static_cast<int64>(position)
                                      : static_cast<int64>(bytes.size());
    position = static_cast<size_t>(std::clamp<int64>(base + pos, 0, static_cast<int64>(bytes.size())));
    if (result) *result = static_cast<int64>(position);
    return kResultOk;
}

tresult PLUGIN_API Stream::tell(int64* pos)
{
    if (pos) *pos = static_cast<int64>(position);
    return kResultOk;
}

tresult PLUGIN_API ComponentHandler::beginEdit(ParamID id)
{
    calls.push_back({'b', id, 0.0});
    return kResultOk;
}

tresult PLUGIN_API ComponentHandler::performEdit(ParamID id, ParamValue value)
{
    calls.push_back({'p', id, value});
    return kResultOk;
}

tresult PLUGIN_API ComponentHandler::endEdit(ParamID id)
{
    calls.push_back({'e', id, 0.0});
    return kResultOk;
}

tresult PLUGIN_API ComponentHandler::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, IComponentHandler::iid) ||
        FUnknownPrivate::iidEqual(iid, FUnknown::iid))
    {
        addRef();
        *obj = static_cast<IComponentHandler*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

double Signal(int channel, int64_t frame)
{
    const double t = static_cast<double>(frame);
    const double burst = (frame / 3000) % 3 == 1 ? 2.5 : 0.4;
    return burst * (0.7 * std::sin(0.031 * t + channel) + 0.3 * std::sin(0.0047 * t * (channel + 1)));
}
} // namespace testhost
