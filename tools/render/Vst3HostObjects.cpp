#include "tools/render/Vst3HostObjects.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

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

tresult PLUGIN_API Vst3HostApplication::getName(String128 name)
{
    static const char text[] = "vellicor-render";
    for (size_t i = 0; i < sizeof(text); ++i)
        name[i] = static_cast<char16>(text[i]);
    return kResultOk;
}

tresult PLUGIN_API Vst3HostApplication::createInstance(TUID, TUID, void** obj)
{
    // No host messages or attribute lists: a single-component plug-in has no peer to talk to.
    if (obj) *obj = nullptr;
    return kNotImplemented;
}

tresult PLUGIN_API Vst3HostApplication::queryInterface(const TUID iid, void** obj)
{
    return Answer<IHostApplication>(this, iid, obj);
}

void Vst3ParamValueQueue::Reset(ParamID id)
{
    paramId = id;
    count = 0;
}

tresult PLUGIN_API Vst3ParamValueQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value)
{
    if (index < 0 || index >= count) return kResultFalse;
    sampleOffset = points[index].offset;
    value = points[index].value;
    return kResultOk;
}

tresult PLUGIN_API Vst3ParamValueQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index)
{
    // Points stay sorted by offset; a point at an existing offset replaces it.
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

tresult PLUGIN_API Vst3ParamValueQueue::queryInterface(const TUID iid, void** obj)
{
    return Answer<IParamValueQueue>(this, iid, obj);
}

bool Vst3ParameterChanges::Add(ParamID id, double normalized)
{
    int32 index = 0;
    IParamValueQueue* queue = addParameterData(id, index);
    if (!queue) return false;
    int32 point = 0;
    return queue->addPoint(0, normalized, point) == kResultOk;
}

IParamValueQueue* PLUGIN_API Vst3ParameterChanges::getParameterData(int32 index)
{
    if (index < 0 || index >= used) return nullptr;
    return &queues[static_cast<size_t>(index)];
}

IParamValueQueue* PLUGIN_API Vst3ParameterChanges::addParameterData(const ParamID& id, int32& index)
{
    for (int32 i = 0; i < used; ++i)
    {
        if (queues[static_cast<size_t>(i)].getParameterId() == id)
        {
            index = i;
            return &queues[static_cast<size_t>(i)];
        }
    }
    if (used == static_cast<int32>(queues.size())) return nullptr;
    queues[static_cast<size_t>(used)].Reset(id);
    index = used;
    return &queues[static_cast<size_t>(used++)];
}

tresult PLUGIN_API Vst3ParameterChanges::queryInterface(const TUID iid, void** obj)
{
    return Answer<IParameterChanges>(this, iid, obj);
}
