#include "lv2/IEffectLV2.h"

#include "core/BindingLimits.h"
#include "lv2/Lv2Options.h"

#include "lv2/atom/util.h"
#include "lv2/buf-size/buf-size.h"
#include "lv2/core/lv2_util.h"
#include "lv2/time/time.h"
#include "lv2/urid/urid.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
constexpr uint32_t kUnseenBits = 0x7FC0DEADu; // a quiet NaN with a payload no host writes

uint32_t Bits(float v)
{
    uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// The editor hears from the DSP at most this often (frames are counted at the host's rate).
constexpr double kFeedsPerSecond = 60.0;
} // namespace

IEffectLV2::IEffectLV2(const InstanceInfo& info, int32_t paramCount, const char* channelConfig,
                       int32_t presetCount, const char* effectName, const char* productName,
                       const char* makerName, int32_t version, int32_t uniqueId, int32_t makerId,
                       int32_t latency, int32_t midiMode, bool chunks, bool instrument)
    : IEffectBase(paramCount, channelConfig, presetCount, effectName, productName, makerName, version,
                  uniqueId, makerId, latency, midiMode, chunks, instrument, kBindingLV2)
{
    ports = Lv2PortLayout::ForChannels(*this, info.channels);
    audioIn.assign(static_cast<size_t>(ports.audioIn), nullptr);
    audioOut.assign(static_cast<size_t>(ports.audioOut), nullptr);
    controls.assign(static_cast<size_t>(ports.params), nullptr);
    lastControlBits.assign(static_cast<size_t>(ports.params), kUnseenBits);
    // A narrower variant runs the plug-in's configuration of that width: the channels beyond it are
    // unconnected (silence in, outputs discarded).
    SetInputConnections(0, ports.audioIn, true);
    SetInputConnections(ports.audioIn, NInChannels() - ports.audioIn, false);
    SetOutputConnections(0, ports.audioOut, true);
    SetOutputConnections(ports.audioOut, NOutChannels() - ports.audioOut, false);

    const auto* map = static_cast<const LV2_URID_Map*>(lv2_features_data(info.features, LV2_URID__map));
    // The host's largest block, when it names one.
    const auto* maxLength = static_cast<const int32_t*>(vellicor::lv2::OptionValue(
        info.features, map, LV2_BUF_SIZE__maxBlockLength, LV2_ATOM__Int, sizeof(int32_t)));
    const int32_t maxBlock = maxLength ? *maxLength : 0;
    SetBlockSize(maxBlock >= 1 ? std::min(maxBlock, vellicor::kMaxBlockFrames) : kDefaultBlockFrames);

    linked = urids.Map(map, info.pluginUri);
    if (linked)
    {
        timePosition = map->map(map->handle, LV2_TIME__Position);
        timeFrame = map->map(map->handle, LV2_TIME__frame);
        timeSpeed = map->map(map->handle, LV2_TIME__speed);
        atomLong = map->map(map->handle, LV2_ATOM__Long);
        atomDouble = map->map(map->handle, LV2_ATOM__Double);
        lv2_atom_forge_init(&forge, const_cast<LV2_URID_Map*>(map));
    }
}

void IEffectLV2::Prepare()
{
    // Every parameter once (the plug-in is ready to process), then the rate's buffers: nothing of
    // this may wait for the first run, which must not allocate.
    NotifyAllParams();
    ResetState();
}

void IEffectLV2::ConnectPort(uint32_t port, void* data)
{
    if (port < ports.AudioOut(0))
        audioIn[port] = static_cast<float*>(data);
    else if (port < ports.Param(0))
        audioOut[port - ports.AudioOut(0)] = static_cast<float*>(data);
    else if (const int32_t p = ports.ParamAt(port); p >= 0)
        controls[static_cast<size_t>(p)] = static_cast<const float*>(data);
    else if (port == ports.Control())
        controlPort = static_cast<const LV2_Atom_Sequence*>(data);
    else if (port == ports.Notify())
        notifyPort = static_cast<LV2_Atom_Sequence*>(data);
}

void IEffectLV2::Activate()
{
    PluginLock::Scoped hold(Lock());
    ActiveChanged(true);
    ResetState();
    samplesSinceActivation = 0;
    resendFeed = true;
}

void IEffectLV2::Deactivate()
{
    PluginLock::Scoped hold(Lock());
    ActiveChanged(false);
}

int32_t IEffectLV2::HostSamplePos()
{
    const int64_t pos = hostTransport ? runStartFrame : samplesSinceActivation;
    return static_cast<int32_t>(std::clamp<int64_t>(pos, 0, INT32_MAX));
}

double IEffectLV2::StepValue(const IParamSlot& slot, float hostValue)
{
    const double v = hostValue;
    // The grid is anchored at 0, as for every other value the plug-in takes.
    return slot.Clamp(std::floor(v / slot.step + 0.5) * slot.step);
}

void IEffectLV2::ReadControls()
{
    for (int32_t i = 0; i < ports.params; ++i)
    {
        const float* port = controls[static_cast<size_t>(i)];
        if (!port) continue;
        const uint32_t bits = Bits(*port);
        if (bits == lastControlBits[static_cast<size_t>(i)]) continue;
        lastControlBits[static_cast<size_t>(i)] = bits;
        IParamSlot* slot = GetParam(i);
        slot->value = StepValue(*slot, *port);
        ParamChanged(i);
    }
}

void IEffectLV2::ReadPosition(const LV2_Atom* atom, int64_t offset)
{
    const auto* object = reinterpret_cast<const LV2_Atom_Object*>(atom);
    const LV2_Atom* frame = nullptr;
    const LV2_Atom* speed = nullptr;
    lv2_atom_object_get(object, timeFrame, &frame, timeSpeed, &speed, 0);
    if (speed && speed->type == urids.atomFloat && speed->size == sizeof(float))
        transportSpeed = reinterpret_cast<const LV2_Atom_Float*>(speed)->body;
    else if (speed && speed->type == atomDouble && speed->size == sizeof(double))
        transportSpeed = reinterpret_cast<const LV2_Atom_Double*>(speed)->body;
    if (frame && frame->type == atomLong && frame->size == sizeof(int64_t))
    {
        hostTransport = true;
        // The position holds at the event's frame: the run started that many frames earlier when rolling.
        const int64_t at = reinterpret_cast<const LV2_Atom_Long*>(frame)->body;
        runStartFrame = transportSpeed != 0.0 ? at - offset : at;
        transportFrame = runStartFrame;
    }
}

void IEffectLV2::ReadEvents(uint32_t frames)
{
    if (!linked || !controlPort) return;
    LV2_ATOM_SEQUENCE_FOREACH(controlPort, event)
    {
        const LV2_Atom* body = &event->body;
        if (body->type != urids.atomObject && body->type != urids.atomBlank) continue;
        if (reinterpret_cast<const LV2_Atom_Object*>(body)->body.otype == timePosition)
        {
            const int64_t offset = std::clamp<int64_t>(event->time.frames, 0, frames);
            ReadPosition(body, offset);
            continue;
        }
        const int32_t command = vellicor::lv2::ReadCommand(urids, body);
        if (command == vellicor::lv2::kCommandResendFeed)
            resendFeed = true;
        else if (command > 0)
        {
            EditorCommand(command);
            resendFeed = true;
        }
    }
}

void IEffectLV2::WriteFeed(uint32_t frames)
{
    if (!notifyPort) return;
    // An output sequence is written whole every run, even when empty.
    const uint32_t capacity = notifyPort->atom.size;
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(notifyPort), capacity);
    LV2_Atom_Forge_Frame sequence;
    if (!linked || !lv2_atom_forge_sequence_head(&forge, &sequence, 0))
    {
        if (capacity >= sizeof(LV2_Atom_Sequence))
        {
            notifyPort->atom.type = linked ? forge.Sequence : 0;
            notifyPort->atom.size = sizeof(LV2_Atom_Sequence_Body);
            notifyPort->body.unit = 0;
            notifyPort->body.pad = 0;
        }
        return;
    }

    framesSinceFeed += frames;
    const int32_t count = std::clamp(CollectEditorFeed(feed), 0, vellicor::lv2::kMaxFeedValues);
    const bool changed = count != sentCount || std::memcmp(feed, sentFeed, sizeof(float) * count) != 0;
    const bool due = framesSinceFeed >= static_cast<int64_t>(SampleRate() / kFeedsPerSecond);
    if (count > 0 && (resendFeed || (changed && due)) && lv2_atom_forge_frame_time(&forge, 0) &&
        vellicor::lv2::ForgeFeed(urids, forge, feed, count))
    {
        std::memcpy(sentFeed, feed, sizeof(float) * count);
        sentCount = count;
        resendFeed = false;
        framesSinceFeed = 0;
        EditorFeedSent();
    }
    lv2_atom_forge_pop(&forge, &sequence);
}

void IEffectLV2::Run(uint32_t frames)
{
    PluginLock::Scoped hold(Lock());
    ReadControls();
    runStartFrame = transportFrame;
    ReadEvents(frames);
    const int32_t n = static_cast<int32_t>(std::min<uint32_t>(frames, INT32_MAX));
    ProcessHostBlock(audioIn.data(), audioOut.data(), n, BlockForm::FloatReplacing, false);
    WriteFeed(frames);

    samplesSinceActivation += frames;
    transportFrame = runStartFrame + (transportSpeed != 0.0 ? int64_t(frames) : 0);
}
