#include "core/IEffectBase.h"

#include "core/FixedText.h"
#include "core/HostLookup.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <utility>

using vellicor::CopyText;

namespace
{
// End of the channel range [first, first + count) inside a list of total channels.
int32_t RangeEnd(int32_t first, int32_t count, int32_t total)
{
    return static_cast<int32_t>(std::min<int64_t>(int64_t(first) + count, total));
}

// A scratch buffer as a table entry: null until a block size gave it storage.
double* ScratchOf(std::vector<double>& scratch)
{
    return scratch.empty() ? nullptr : scratch.data();
}
} // namespace

IEffectBase::IEffectBase(int32_t paramCount, const char* channelConfig, int32_t presetCount,
                         const char* effectNameText, const char* productNameText, const char* makerNameText,
                         int32_t versionCode, int32_t uniqueIdCode, int32_t makerIdCode,
                         int32_t latencyFrames, int32_t midi, bool chunksFlag, bool instrumentFlag,
                         int32_t binding)
    : instrument(instrumentFlag), latency(latencyFrames), uniqueId(uniqueIdCode), makerId(makerIdCode),
      version(versionCode), bindingKind(binding), chunks(chunksFlag), midiMode(midi)
{
    for (int32_t i = 0; i < paramCount; ++i)
        params.push_back(std::make_unique<IParamSlot>());
    for (int32_t i = 0; i < presetCount; ++i)
    {
        auto preset = std::make_unique<Preset>();
        std::snprintf(preset->name, sizeof(preset->name), "- %d -", i + 1);
        presets.push_back(std::move(preset));
    }
    CopyText(effectName, effectNameText);
    CopyText(productName, productNameText);
    CopyText(makerName, makerNameText);
    ParseChannelConfig(channelConfig);
}

IEffectBase::~IEffectBase()
{
    // Fixed release order: the GUI first (its controls may point into the parameters), the lock last.
    // The binding is gone by now: an editor that flushes a pending gesture end while it closes must
    // find nothing to send.
    pendingEndEdit = -1;
    gui.reset();
    params.clear();
    presets.clear();
    inChannels.clear();
    outChannels.clear();
    channelConfigs.clear();
    inputBusLabels.clear();
    outputBusLabels.clear();
    inputTable.clear();
    outputTable.clear();
}

void IEffectBase::ParseChannelConfig(const char* text)
{
    int32_t maxIn = 0, maxOut = 0;
    const char* p = text ? text : "";
    while (true)
    {
        int in = 0, out = 0;
        if (std::sscanf(p, "%d-%d", &in, &out) != 2) in = out = 0;
        channelConfigs.push_back({in, out});
        maxIn = std::max<int32_t>(maxIn, in);
        maxOut = std::max<int32_t>(maxOut, out);
        const char* blank = std::strchr(p, ' ');
        if (!blank) break;
        p = blank + 1;
    }

    inputTable.assign(static_cast<size_t>(maxIn), nullptr);
    outputTable.assign(static_cast<size_t>(maxOut), nullptr);
    inChannels.resize(static_cast<size_t>(maxIn));
    outChannels.resize(static_cast<size_t>(maxOut));
    for (int32_t i = 0; i < maxIn; ++i)
        inChannels[i].tableIndex = i;
    for (int32_t i = 0; i < maxOut; ++i)
        outChannels[i].tableIndex = i;
}

// ---- Default bodies of the virtual operations ----

void IEffectBase::ResetState()
{
    PluginLock::Scoped hold(lock);
}

void IEffectBase::ParamChanged(int32_t)
{
    PluginLock::Scoped hold(lock);
}

void IEffectBase::HostParamChanged(int32_t index, float)
{
    PluginLock::Scoped hold(lock);
    ParamChanged(index);
}

void IEffectBase::ProcessBlock(double** inputs, double** outputs, int32_t frames)
{
    const int32_t nIn = NInChannels(), nOut = NOutChannels();
    const int32_t shared = std::min(nIn, nOut);
    for (int32_t c = 0; c < nOut; ++c)
    {
        double* out = outputs[c];
        if (!out) continue;
        if (c < shared && inputs[c])
        {
            if (out != inputs[c]) std::memmove(out, inputs[c], sizeof(double) * static_cast<size_t>(frames));
        }
        else
            std::fill(out, out + frames, 0.0);
    }
}

void IEffectBase::ActiveChanged(bool)
{
    PluginLock::Scoped hold(lock);
}

bool IEffectBase::MidiNoteName(int32_t, char* out)
{
    if (out) out[0] = '\0';
    return false;
}

bool IEffectBase::SaveState(StateChunk& chunk, bool)
{
    return SaveParams(chunk);
}

int32_t IEffectBase::LoadState(const StateChunk& chunk, int32_t position)
{
    return LoadParams(chunk, position);
}

void IEffectBase::VersionNotice(int32_t)
{
    PluginLock::Scoped hold(lock);
}

bool IEffectBase::ParamInPreset(int32_t, int32_t)
{
    PluginLock::Scoped hold(lock);
    return true;
}

int32_t IEffectBase::HostKind()
{
    return hostKind;
}

void IEffectBase::AttachEditor(IEditor* newGui)
{
    if (!newGui) return;
    PluginLock::Scoped hold(lock);
    for (int32_t i = 0; i < NParams(); ++i)
        newGui->SetParamFromPlugin(i, params[i]->NormalizedValue(), true);
    newGui->PrepareBackBuffer();
    gui.reset(newGui);
}

void IEffectBase::SetBlockSize(int32_t frames)
{
    if (frames == blockSize) return;
    const size_t n = frames > 0 ? static_cast<size_t>(frames) : 0;
    // Table entries that point into a scratch buffer must follow it to its new storage.
    auto resize = [n](std::vector<double>& scratch, double*& entry)
    {
        const bool pointsHere = entry && entry == scratch.data();
        scratch.assign(n, 0.0);
        if (pointsHere) entry = ScratchOf(scratch);
    };
    for (InChannel& ch : inChannels)
    {
        resize(ch.scratch, inputTable[ch.tableIndex]);
        if (!ch.connected) inputTable[ch.tableIndex] = ScratchOf(ch.scratch);
    }
    for (OutChannel& ch : outChannels)
    {
        resize(ch.scratch, outputTable[ch.tableIndex]);
        if (!ch.connected) outputTable[ch.tableIndex] = ScratchOf(ch.scratch);
    }
    blockSize = frames > 0 ? frames : 0;
}

// ---- Identity ----

void IEffectBase::SetHostInfo(const char* name, int32_t packedVersion)
{
    hostKind = LookUpHost(name);
    hostVersion = packedVersion;
}

void IEffectBase::VersionText(char* out) const
{
    if (!out) return;
    std::snprintf(out, 16, "v%d.%02d", version >> 16, (version >> 8) & 0xFF);
}

int32_t IEffectBase::VersionNumber(bool decimal) const
{
    if (!decimal) return version;
    return (version >> 16) * 10000 + ((version >> 8) & 0xFF) * 100 + (version & 0xFF);
}

// ---- Parameters ----

IParamSlot* IEffectBase::GetParam(int32_t index)
{
    return index >= 0 && index < NParams() ? params[index].get() : nullptr;
}

const IParamSlot* IEffectBase::GetParam(int32_t index) const
{
    return index >= 0 && index < NParams() ? params[index].get() : nullptr;
}

void IEffectBase::SetParamFromGui(int32_t index, double normalized)
{
    IParamSlot* slot = GetParam(index);
    if (!slot) return;
    {
        PluginLock::Scoped hold(lock);
        slot->SetFromNormalized(normalized);
        ParamChanged(index);
    }
    // The host hears of it after the lock is released: a host that takes its own lock inside the
    // edit, while its audio thread waits on ours, would otherwise deadlock.
    ParamEdited(index, normalized);
}

void IEffectBase::SetParamFromHost(int32_t index, double normalized)
{
    IParamSlot* slot = GetParam(index);
    if (!slot) return;
    PluginLock::Scoped hold(lock);
    if (gui) gui->SetParamFromPlugin(index, normalized, true);
    slot->SetFromNormalized(normalized);
    HostParamChanged(index, static_cast<float>(normalized));
}

void IEffectBase::DeferEndParamEdit(int32_t index)
{
    if (!GetParam(index)) return;
    {
        PluginLock::Scoped hold(lock);
        if (gui)
        {
            pendingEndEdit = index;
            gui->StartDeferredEditEnd(std::max(1, gui->FrameRate() / 2));
            return;
        }
    }
    EndParamEdit(index); // outside the lock, as every host call
}

void IEffectBase::FlushEndParamEdit()
{
    int32_t index = -1;
    {
        PluginLock::Scoped hold(lock);
        if (gui) gui->CancelDeferredEditEnd();
        index = std::exchange(pendingEndEdit, -1);
    }
    if (index >= 0) EndParamEdit(index);
}

int32_t IEffectBase::NotifyAllParams()
{
    PluginLock::Scoped hold(lock);
    for (int32_t i = 0; i < NParams(); ++i)
        ParamChanged(i);
    return NParams();
}

void IEffectBase::PushParamsToGui()
{
    if (!gui) return;
    for (int32_t i = 0; i < NParams(); ++i)
        gui->SetParamFromPlugin(i, params[i]->value, false);
}

// ---- Channels ----

bool IEffectBase::IsLegalIO(int32_t inputs, int32_t outputs) const
{
    for (const ChannelConfig& c : channelConfigs)
        if ((inputs < 0 || inputs == c.inputs) && (outputs < 0 || outputs == c.outputs)) return true;
    return false;
}

bool IEffectBase::IsInputConnected(int32_t channel) const
{
    return channel >= 0 && channel < NInChannels() && inChannels[channel].connected;
}

bool IEffectBase::IsOutputConnected(int32_t channel) const
{
    return channel >= 0 && channel < NOutChannels() && outChannels[channel].connected;
}

void IEffectBase::SetInputConnections(int32_t first, int32_t count, bool connected)
{
    if (first < 0) return;
    const int32_t end = RangeEnd(first, count, NInChannels());
    for (int32_t i = first; i < end; ++i)
    {
        InChannel& ch = inChannels[i];
        // A channel that goes silent must not replay the last audio converted into its scratch.
        if (ch.connected && !connected) std::fill(ch.scratch.begin(), ch.scratch.end(), 0.0);
        ch.connected = connected;
        if (!connected) inputTable[ch.tableIndex] = ScratchOf(ch.scratch);
    }
}

void IEffectBase::SetOutputConnections(int32_t first, int32_t count, bool connected)
{
    if (first < 0) return;
    const int32_t end = RangeEnd(first, count, NOutChannels());
    for (int32_t i = first; i < end; ++i)
    {
        OutChannel& ch = outChannels[i];
        ch.connected = connected;
        if (!connected)
        {
            outputTable[ch.tableIndex] = ScratchOf(ch.scratch);
            ch.hostFloat = nullptr;
        }
    }
}

namespace
{
// Runs fn on each connected channel of [first, first + count), in order: each takes the next host buffer.
template <class Channel, class Fn>
void ForConnected(std::vector<Channel>& channels, int32_t first, int32_t count, Fn fn)
{
    if (first < 0) return;
    const int32_t end = RangeEnd(first, count, static_cast<int32_t>(channels.size()));
    for (int32_t i = first; i < end; ++i)
        if (channels[i].connected) fn(channels[i]);
}
} // namespace

void IEffectBase::AttachInputs(int32_t first, int32_t count, double** buffers)
{
    if (!buffers) return;
    int32_t next = 0;
    ForConnected(inChannels, first, count,
                 [&](InChannel& ch)
                 {
                     double* host = buffers[next++];
                     if (!host)
                         std::fill(ch.scratch.begin(), ch.scratch.end(),
                                   0.0); // a missing buffer reads as silence
                     inputTable[ch.tableIndex] = host ? host : ScratchOf(ch.scratch);
                 });
}

void IEffectBase::AttachInputs(int32_t first, int32_t count, float** buffers, int32_t frames)
{
    if (!buffers) return;
    int32_t next = 0;
    ForConnected(inChannels, first, count,
                 [&](InChannel& ch)
                 {
                     const float* host = buffers[next++];
                     const int32_t n =
                         std::min<int32_t>(std::max(frames, 0), static_cast<int32_t>(ch.scratch.size()));
                     double* dst = ch.scratch.data();
                     if (host)
                         for (int32_t s = 0; s < n; ++s)
                             dst[s] = host[s];
                     else
                         std::fill(dst, dst + n, 0.0);
                     inputTable[ch.tableIndex] = ScratchOf(ch.scratch);
                 });
}

void IEffectBase::AttachOutputs(int32_t first, int32_t count, double** buffers)
{
    if (!buffers) return;
    int32_t next = 0;
    ForConnected(outChannels, first, count,
                 [&](OutChannel& ch)
                 {
                     double* host = buffers[next++];
                     ch.hostFloat = nullptr;
                     outputTable[ch.tableIndex] = host ? host : ScratchOf(ch.scratch);
                 });
}

void IEffectBase::AttachOutputs(int32_t first, int32_t count, float** buffers)
{
    if (!buffers) return;
    int32_t next = 0;
    ForConnected(outChannels, first, count,
                 [&](OutChannel& ch)
                 {
                     ch.hostFloat = buffers[next++];
                     outputTable[ch.tableIndex] = ScratchOf(ch.scratch);
                 });
}

bool IEffectBase::ProcessFloatBlock(float**, float**, int32_t)
{
    return false;
}

void IEffectBase::DefaultCopy(int32_t frames)
{
    IEffectBase::ProcessBlock(inputTable.data(), outputTable.data(), frames);
}

void IEffectBase::WriteFloatOutputs(int32_t frames, BlockForm form)
{
    for (OutChannel& ch : outChannels)
    {
        if (!ch.connected || !ch.hostFloat) continue;
        const int32_t n = std::min<int32_t>(frames, static_cast<int32_t>(ch.scratch.size()));
        const double* src = ch.scratch.data();
        float* dst = ch.hostFloat;
        if (form == BlockForm::FloatAccumulating)
            for (int32_t s = 0; s < n; ++s)
                dst[s] += static_cast<float>(src[s]);
        else
            for (int32_t s = 0; s < n; ++s)
                dst[s] = static_cast<float>(src[s]);
    }
}

void IEffectBase::RunBlock(int32_t frames, BlockForm form)
{
    if (ProcessingReady) ProcessBlock(inputTable.data(), outputTable.data(), frames);
    if (form != BlockForm::Double) WriteFloatOutputs(frames, form);
}

void IEffectBase::PassThroughBlock(int32_t frames, BlockForm form)
{
    DefaultCopy(frames);
    if (form != BlockForm::Double) WriteFloatOutputs(frames, form);
}

void IEffectBase::ZeroScratch()
{
    for (InChannel& ch : inChannels)
        std::fill(ch.scratch.begin(), ch.scratch.end(), 0.0);
    for (OutChannel& ch : outChannels)
        std::fill(ch.scratch.begin(), ch.scratch.end(), 0.0);
}

int32_t IEffectBase::CountConnected(bool inputs) const
{
    int32_t n = 0;
    if (inputs)
    {
        for (const InChannel& ch : inChannels)
            n += ch.connected;
    }
    else
    {
        for (const OutChannel& ch : outChannels)
            n += ch.connected;
    }
    return n;
}

namespace
{
// Host pointers advanced by an offset into the block; the arrays are bounded by the channel count.
constexpr int kMaxHostChannels = 64;

// Only the n entries the attach calls read (one per connected channel) are set: this runs per block.
template <typename T> void OffsetPointers(T** src, int32_t n, int32_t offset, T** dst)
{
    for (int32_t i = 0; i < std::min(n, kMaxHostChannels); ++i)
        dst[i] = src && src[i] ? src[i] + offset : nullptr;
}
} // namespace

template <typename T>
void IEffectBase::ProcessHostSlices(T** inputs, T** outputs, int32_t frames, BlockForm form, bool passThrough)
{
    if (frames < 1) return;
    PluginLock::Scoped hold(lock);
    const int32_t nIn = CountConnected(true), nOut = CountConnected(false);
    if (blockSize < 1)
    {
        // No scratch buffers to process in: silence, except where the host accumulates.
        if (form == BlockForm::FloatAccumulating || !outputs) return;
        for (int32_t i = 0; i < nOut && i < kMaxHostChannels; ++i)
            if (outputs[i]) std::fill(outputs[i], outputs[i] + frames, T(0));
        return;
    }
    if (passingThrough && !passThrough) PassThroughEnded();
    passingThrough = passThrough;
    T* inPtrs[kMaxHostChannels];
    T* outPtrs[kMaxHostChannels];
    for (int32_t done = 0; done < frames; done += blockSize)
    {
        const int32_t n = std::min(blockSize, frames - done);
        OffsetPointers(inputs, nIn, done, inPtrs);
        OffsetPointers(outputs, nOut, done, outPtrs);
        if constexpr (std::is_same_v<T, float>)
        {
            if (form == BlockForm::FloatReplacing && !passThrough && ProcessingReady && nIn == NInChannels() &&
                nOut == NOutChannels() && std::all_of(inPtrs, inPtrs + nIn, [](float* p) { return p; }) &&
                std::all_of(outPtrs, outPtrs + nOut, [](float* p) { return p; }) &&
                ProcessFloatBlock(inPtrs, outPtrs, n))
                continue;
            AttachInputs(0, NInChannels(), inPtrs, n);
        }
        else
            AttachInputs(0, NInChannels(), inPtrs);
        AttachOutputs(0, NOutChannels(), outPtrs);
        if (passThrough)
            PassThroughBlock(n, form);
        else
            RunBlock(n, form);
    }
}

void IEffectBase::ProcessHostBlock(float** inputs, float** outputs, int32_t frames, BlockForm form,
                                   bool passThrough)
{
    ProcessHostSlices(inputs, outputs, frames, form == BlockForm::Double ? BlockForm::FloatReplacing : form,
                      passThrough);
}

void IEffectBase::ProcessHostBlock(double** inputs, double** outputs, int32_t frames, bool passThrough)
{
    ProcessHostSlices(inputs, outputs, frames, BlockForm::Double, passThrough);
}

void IEffectBase::SetInputBusLabel(int32_t index, const char* label)
{
    if (index != 0 && index != 1) return;
    if (index < static_cast<int32_t>(inputBusLabels.size()))
        inputBusLabels[index] = label ? label : "";
    else
        inputBusLabels.emplace_back(label ? label : "");
}

void IEffectBase::SetOutputBusLabel(int32_t index, const char* label)
{
    if (index < 0) return;
    if (index < static_cast<int32_t>(outputBusLabels.size()))
        outputBusLabels[index] = label ? label : "";
    else
        outputBusLabels.emplace_back(label ? label : "");
}
