#pragma once
// The host-side VST3 objects a plug-in talks to: the host context, the parameter changes handed
// to process, a component handler that records the plug-in's edits, and a byte stream. They live
// inside their owner (not on the heap): reference counts are kept for the plug-in's sake but never
// delete. Parameter changes never allocate once constructed, so a host may fill them on its audio
// thread.
#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace hostkit
{
// The interface of type I of object, with one reference for the caller, or null.
template <class I> I* Query(Steinberg::FUnknown* object)
{
    void* out = nullptr;
    if (!object || object->queryInterface(I::iid, &out) != Steinberg::kResultOk) return nullptr;
    return static_cast<I*>(out);
}

class HostApplication : public Steinberg::Vst::IHostApplication
{
public:
    explicit HostApplication(std::string name) : name(std::move(name)) {}

    Steinberg::tresult PLUGIN_API getName(Steinberg::Vst::String128 name) override;
    Steinberg::tresult PLUGIN_API createInstance(Steinberg::TUID cid, Steinberg::TUID iid,
                                                 void** obj) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return ++refs; }
    Steinberg::uint32 PLUGIN_API release() override { return --refs; }

    bool nameFails = false; // getName writes the name, then reports failure

private:
    std::string name;
    Steinberg::uint32 refs = 1;
};

// One parameter's points within a block, kept sorted by offset; a point at an existing offset
// replaces it. Fixed capacity: adding never allocates.
class ParamValueQueue : public Steinberg::Vst::IParamValueQueue
{
public:
    static constexpr int32_t kCapacity = 32;

    void Reset(Steinberg::Vst::ParamID id);
    Steinberg::int32 ReadablePoints() const { return count; }
    // The last point's value; fallback when there is none.
    double LastValue(double fallback) const { return count > 0 ? points[count - 1].value : fallback; }

    Steinberg::Vst::ParamID PLUGIN_API getParameterId() override { return paramId; }
    Steinberg::int32 PLUGIN_API getPointCount() override { return count + extraPoints; }
    Steinberg::tresult PLUGIN_API getPoint(Steinberg::int32 index, Steinberg::int32& sampleOffset,
                                           Steinberg::Vst::ParamValue& value) override;
    Steinberg::tresult PLUGIN_API addPoint(Steinberg::int32 sampleOffset, Steinberg::Vst::ParamValue value,
                                           Steinberg::int32& index) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return ++refs; }
    Steinberg::uint32 PLUGIN_API release() override { return --refs; }

    Steinberg::int32 extraPoints = 0; // a broken host: announces points that cannot be read

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

// The changes of one block, queues in the order they were added.
class ParameterChanges : public Steinberg::Vst::IParameterChanges
{
public:
    explicit ParameterChanges(int32_t capacity = 64) : queues(static_cast<size_t>(capacity)) {}

    void Clear() { used = 0; }
    bool Empty() const { return used == 0; }
    // One point at offset for id, in id's queue (added when new).
    bool Set(Steinberg::Vst::ParamID id, double normalized, Steinberg::int32 offset = 0);
    // A queue of its own for id, points at offsets 0, 7, 14, ...: a host may send an id twice.
    ParameterChanges& Add(Steinberg::Vst::ParamID id, std::initializer_list<double> values);
    ParamValueQueue& Queue(int32_t index) { return queues[static_cast<size_t>(index)]; }

    Steinberg::int32 PLUGIN_API getParameterCount() override { return used; }
    Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData(Steinberg::int32 index) override;
    Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData(const Steinberg::Vst::ParamID& id,
                                                                  Steinberg::int32& index) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return ++refs; }
    Steinberg::uint32 PLUGIN_API release() override { return --refs; }

private:
    ParamValueQueue* NewQueue(Steinberg::Vst::ParamID id, Steinberg::int32& index);

    std::vector<ParamValueQueue> queues;
    Steinberg::int32 used = 0;
    Steinberg::uint32 refs = 1;
};

// Records every edit the plug-in reports, in order.
class ComponentHandler : public Steinberg::Vst::IComponentHandler
{
public:
    struct Call
    {
        char kind; // 'b'egin, 'p'erform, 'e'nd
        Steinberg::Vst::ParamID id;
        Steinberg::Vst::ParamValue value;
        bool operator==(const Call&) const = default;
    };
    Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID id) override;
    Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id,
                                              Steinberg::Vst::ParamValue value) override;
    Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID id) override;
    Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32) override { return Steinberg::kResultOk; }
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return static_cast<Steinberg::uint32>(++refs); }
    Steinberg::uint32 PLUGIN_API release() override { return static_cast<Steinberg::uint32>(--refs); }

    std::vector<Call> calls;
    int32_t refs = 0;
};

// A byte stream in memory; writes can be made to fail.
class MemoryStream : public Steinberg::IBStream
{
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> content) : bytes(std::move(content)) {}
    Steinberg::tresult PLUGIN_API read(void* buffer, Steinberg::int32 numBytes,
                                       Steinberg::int32* numBytesRead) override;
    Steinberg::tresult PLUGIN_API write(void* buffer, Steinberg::int32 numBytes,
                                        Steinberg::int32* numBytesWritten) override;
    Steinberg::tresult PLUGIN_API seek(Steinberg::int64 pos, Steinberg::int32 mode,
                                       Steinberg::int64* result) override;
    Steinberg::tresult PLUGIN_API tell(Steinberg::int64* pos) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return ++refs; }
    Steinberg::uint32 PLUGIN_API release() override { return --refs; }

    std::vector<uint8_t> bytes;
    size_t position = 0;
    bool failWrites = false;
    int32_t reads = 0, writes = 0;

private:
    Steinberg::uint32 refs = 1;
};
} // namespace hostkit
