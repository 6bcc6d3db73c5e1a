#include "hostkit/Vst3HostObjects.h"

#include "hostkit/HostText.h"

#include <algorithm>
#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace hostkit
{
namespace
{
template <class Interface> tresult Answer(Interface* self, const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, Interface::iid))
    {
        self->addRef();
        *obj = self;
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}
} // namespace

tresult PLUGIN_API HostApplication::getName(String128 out)
{
    ToUtf16(name.c_str(), out, 128);
    return nameFails ? kResultFalse : kResultOk;
}

tresult PLUGIN_API HostApplication::createInstance(TUID, TUID, void** obj)
{
    // No host messages or attribute lists: a single-component plug-in has no peer to talk to.
    if (obj) *obj = nullptr;
    return kNotImplemented;
}

tresult PLUGIN_API HostApplication::queryInterface(const TUID iid, void** obj)
{
    return Answer<IHostApplication>(this, iid, obj);
}

void ParamValueQueue::Reset(ParamID id)
{
    paramId = id;
    count = 0;
    extraPoints = 0;
}

tresult PLUGIN_API ParamValueQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value)
{
    if (index < 0 || index >= count) return kResultFalse;
    sampleOffset = points[index].offset;
    value = points[index].value;
    return kResultOk;
}

tresult PLUGIN_API ParamValueQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index)
{
    int32 i = 0;
    while (i < count && points[i].offset < sampleOffset)
        ++i;
    if (i < count && points[i].offset == sampleOffset)
    {
        points[i].value = value;
        index = i;
        return kResultOk;
    }
    if (count == kCapacity) return kResultFalse;
    for (int32 j = count; j > i; --j)
        points[j] = points[j - 1];
    points[i] = {sampleOffset, value};
    ++count;
    index = i;
    return kResultOk;
}

tresult PLUGIN_API ParamValueQueue::queryInterface(const TUID iid, void** obj)
{
    return Answer<IParamValueQueue>(this, iid, obj);
}

bool ParameterChanges::Set(ParamID id, double normalized, int32 offset)
{
    int32 index = 0;
    IParamValueQueue* queue = addParameterData(id, index);
    int32 point = 0;
    return queue && queue->addPoint(offset, normalized, point) == kResultOk;
}

ParameterChanges& ParameterChanges::Add(ParamID id, std::initializer_list<double> values)
{
    int32 index = 0;
    if (ParamValueQueue* queue = NewQueue(id, index))
    {
        int32 offset = 0, point = 0;
        for (double v : values)
            queue->addPoint(7 * offset++, v, point);
    }
    return *this;
}

IParamValueQueue* PLUGIN_API ParameterChanges::getParameterData(int32 index)
{
    if (index < 0 || index >= used) return nullptr;
    return &queues[static_cast<size_t>(index)];
}

IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData(const ParamID& id, int32& index)
{
    for (int32 i = 0; i < used; ++i)
    {
        if (queues[static_cast<size_t>(i)].getParameterId() == id)
        {
            index = i;
            return &queues[static_cast<size_t>(i)];
        }
    }
    return NewQueue(id, index);
}

ParamValueQueue* ParameterChanges::NewQueue(ParamID id, int32& index)
{
    if (used == static_cast<int32>(queues.size())) return nullptr;
    queues[static_cast<size_t>(used)].Reset(id);
    index = used;
    return &queues[static_cast<size_t>(used++)];
}

tresult PLUGIN_API ParameterChanges::queryInterface(const TUID iid, void** obj)
{
    return Answer<IParameterChanges>(this, iid, obj);
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
    return Answer<IComponentHandler>(this, iid, obj);
}

tresult PLUGIN_API MemoryStream::read(void* buffer, int32 numBytes, int32* numBytesRead)
{
    ++reads;
    const size_t n = std::min<size_t>(static_cast<size_t>(std::max(numBytes, 0)), bytes.size() - position);
    if (n) std::memcpy(buffer, bytes.data() + position, n);
    position += n;
    if (numBytesRead) *numBytesRead = static_cast<int32>(n);
    return kResultOk;
}

tresult PLUGIN_API MemoryStream::write(void* buffer, int32 numBytes, int32* numBytesWritten)
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

tresult PLUGIN_API MemoryStream::seek(int64 pos, int32 mode, int64* result)
{
    const int64 base = mode == kIBSeekSet   ? 0
                       : mode == kIBSeekCur ? static_cast<int64>(position)
                                            : static_cast<int64>(bytes.size());
    position = static_cast<size_t>(std::clamp<int64>(base + pos, 0, static_cast<int64>(bytes.size())));
    if (result) *result = static_cast<int64>(position);
    return kResultOk;
}

tresult PLUGIN_API MemoryStream::tell(int64* pos)
{
    if (pos) *pos = static_cast<int64>(position);
    return kResultOk;
}

tresult PLUGIN_API MemoryStream::queryInterface(const TUID iid, void** obj)
{
    return Answer<IBStream>(this, iid, obj);
}
} // namespace hostkit
