#pragma once
// The few host-side VST3 objects a plug-in talks to: the host context and the parameter change
// lists handed to process. They live inside Vst3Host (not on the heap), so reference counts are
// kept for the plug-in's sake but never delete.
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <cstdint>
#include <vector>

class Vst3HostApplication : public Steinberg::Vst::IHostApplication
{
public:
    Steinberg::tresult PLUGIN_API getName(Steinberg::Vst::String128 name) override;
    Steinberg::tresult PLUGIN_API createInstance(Steinberg::TUID cid, Steinberg::TUID iid,
                                                 void** obj) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return ++refs; }
    Steinberg::uint32 PLUGIN_API release() override { return --refs; }

private:
    Steinberg::uint32 refs = 1;
};

// One parameter's points within a block. Fixed capacity: adding never allocates.
class Vst3ParamValueQueue : public Steinberg::Vst::IParamValueQueue
{
public:
    static constexpr int32_t kCapacity = 16;

    void Reset(Steinberg::Vst::ParamID id);

    Steinberg::Vst::ParamID PLUGIN_API getParameterId() override { return paramId; }
    Steinberg::int32 PLUGIN_API getPointCount() override { return count; }
    Steinberg::tresult PLUGIN_API getPoint(Steinberg::int32 index, Steinberg::int32& sampleOffset,
                                           Steinberg::Vst::ParamValue& value) override;
    Steinberg::tresult PLUGIN_API addPoint(Steinberg::int32 sampleOffset, Steinberg::Vst::ParamValue value,
                                           Steinberg::int32& index) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return ++refs; }
    Steinberg::uint32 PLUGIN_API release() override { return --refs; }

private:
    struct Point
    {
        Steinberg::int32 offset;
        Steinberg::Vst::ParamValue value;
    };
    Steinberg::Vst::ParamID paramId = 0;
    Steinberg::int32 count = 0;
    Point points[kCapacity] = {};
    Steinberg::uint32 refs = 1;
};

// The changes of one block, queues in the order their parameters were first added.
class Vst3ParameterChanges : public Steinberg::Vst::IParameterChanges
{
public:
    explicit Vst3ParameterChanges(int32_t capacity = 64) : queues(static_cast<size_t>(capacity)) {}

    void Clear() { used = 0; }
    // Host side: one point at offset 0.
    bool Add(Steinberg::Vst::ParamID id, double normalized);

    Steinberg::int32 PLUGIN_API getParameterCount() override { return used; }
    Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData(Steinberg::int32 index) override;
    Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData(const Steinberg::Vst::ParamID& id,
                                                                  Steinberg::int32& index) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return ++refs; }
    Steinberg::uint32 PLUGIN_API release() override { return --refs; }

private:
    std::vector<Vst3ParamValueQueue> queues;
    Steinberg::int32 used = 0;
    Steinberg::uint32 refs = 1;
};
