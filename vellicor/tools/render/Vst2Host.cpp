#include "vellicor/tools/render/Vst2Host.h"

#include "vellicor/editor/EditorSnapshotAbi.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace
{
constexpr size_t kTextBuffer = 256; // larger than any text the published sizes allow

bool ParseNumber(const std::string& text, double& out)
{
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end != text.c_str() && std::isfinite(out);
}
} // namespace

Vst2Host::~Vst2Host()
{
    Close();
}

intptr_t Vst2Host::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) const
{
    return hostkit::Dispatch(effect, opcode, index, value, ptr, opt);
}

std::string Vst2Host::Text(int32_t opcode, int32_t index) const
{
    return hostkit::DispatchText(effect, opcode, index, kTextBuffer);
}

bool Vst2Host::Load(const std::string& path, std::string& error)
{
    struct stat st
    {
    };
    if (stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
    {
        const bool bundle = S_ISDIR(st.st_mode) && path.find(".vst3") != std::string::npos;
        error =
            "no VST2 module at " + path +
            (bundle ? ": it is a VST3 bundle (host it with --format vst3)" : " (give the .so with --plugin)");
        return false;
    }
    if (!library.Open(path, error)) return false;
    const VstPluginMainProc entry = hostkit::FindVst2Entry(library);
    if (!entry)
    {
        error = path + (library.Symbol("GetPluginFactory")
                            ? " is not a VST2 module but a VST3 one (host it with --format vst3)"
                            : " is not a VST2 module (no VSTPluginMain)");
        return false;
    }
    effect = host.Create(entry);
    if (!effect)
    {
        error = path + ": VSTPluginMain gave no effect";
        return false;
    }
    Dispatch(effOpen);
    opened = true;

    name = Text(effGetEffectName, 0);
    const intptr_t v = Dispatch(effGetVendorVersion);
    char text[64];
    std::snprintf(text, sizeof(text), "%d.%02d", static_cast<int>(v / 10000),
                  static_cast<int>(v % 10000 / 100));
    version = text;

    params.clear();
    for (int32_t i = 0; i < effect->numParams; ++i)
    {
        ParamInfo info;
        info.name = Text(effGetParamName, i);
        info.units = Text(effGetParamLabel, i);
        info.defaultText = Text(effGetParamDisplay, i); // a fresh instance shows its defaults
        if (!ReadRange(i, info))
        {
            error = name + ": cannot read the range of parameter \"" + info.name + "\"";
            return false;
        }
        params.push_back(info);
    }
    presetNames.clear();
    for (int32_t i = 0; i < effect->numPrograms; ++i)
        presetNames.push_back(Text(effGetProgramNameIndexed, i));
    return true;
}

bool Vst2Host::ReadRange(int32_t index, ParamInfo& info)
{
    // The plug-in formats any normalised value on request; a plain VST2 effect only shows its
    // current one, so fall back to moving the parameter to both ends and back.
    std::string low, high;
    char text[kTextBuffer] = {};
    if (Dispatch(effVendorSpecific, kVendorFormatNormalized, index, text, 0.0f) == kVendorAnswer)
    {
        low = text;
        std::memset(text, 0, sizeof(text));
        Dispatch(effVendorSpecific, kVendorFormatNormalized, index, text, 1.0f);
        high = text;
    }
    else
    {
        const float saved = effect->getParameter(effect, index);
        effect->setParameter(effect, index, 0.0f);
        low = Text(effGetParamDisplay, index);
        effect->setParameter(effect, index, 1.0f);
        high = Text(effGetParamDisplay, index);
        effect->setParameter(effect, index, saved);
    }
    if (!ParseNumber(low, info.minimum) || !ParseNumber(high, info.maximum)) return false;
    // Shown without decimals at both ends: a whole-number parameter.
    info.integer =
        low.find_first_of(".eE") == std::string::npos && high.find_first_of(".eE") == std::string::npos;
    return true;
}

ParamInfo Vst2Host::Param(int32_t index) const
{
    if (index < 0 || index >= ParamCount()) return {};
    return params[static_cast<size_t>(index)];
}

void Vst2Host::RequestParam(int32_t index, double realValue)
{
    requestedParams.emplace_back(index, realValue);
}

bool Vst2Host::Start(double sampleRate, int32_t fileChannels, int32_t maxBlock, Precision precision,
                     double transportStartSeconds, std::string& error)
{
    const bool wantDouble = precision == Precision::Double;
    if (wantDouble && !(effect->flags & effFlagsCanDoubleReplacing))
    {
        error = name + " cannot process 64-bit samples";
        return false;
    }
    if (!wantDouble && !(effect->flags & effFlagsCanReplacing))
    {
        error = name + " has no replacing float callback";
        return false;
    }
    if (effect->numInputs < fileChannels || effect->numOutputs < fileChannels)
    {
        error = name + " has too few inputs or outputs for " + std::to_string(fileChannels) + " channels";
        return false;
    }
    channels = fileChannels;

    Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    Dispatch(effSetBlockSize, 0, maxBlock);
    VstSpeakerArrangement in{}, out{};
    in.type = out.type = channels == 1 ? kSpeakerArrMono : kSpeakerArrStereo;
    in.numChannels = out.numChannels = channels;
    Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&in), &out);

    if (requestedPreset >= 0) Dispatch(effSetProgram, 0, requestedPreset);
    for (const auto& [index, value] : requestedParams)
    {
        char text[64];
        std::snprintf(text, sizeof(text), "%.17g", value);
        Dispatch(effString2Parameter, index, 0, text);
    }

    host.time = {};
    host.time.samplePos = std::round(transportStartSeconds * sampleRate);

    const size_t spareChannels = static_cast<size_t>(std::max(effect->numInputs, effect->numOutputs));
    spareFloat.assign(wantDouble ? 0 : spareChannels * 2 * static_cast<size_t>(maxBlock), 0.0f);
    spareDouble.assign(wantDouble ? spareChannels * 2 * static_cast<size_t>(maxBlock) : 0, 0.0);
    auto spare = [&](auto& store, size_t slot)
    { return store.data() + slot * static_cast<size_t>(maxBlock); };
    inFloat.assign(static_cast<size_t>(effect->numInputs), nullptr);
    outFloat.assign(static_cast<size_t>(effect->numOutputs), nullptr);
    inDouble.assign(static_cast<size_t>(effect->numInputs), nullptr);
    outDouble.assign(static_cast<size_t>(effect->numOutputs), nullptr);
    // Extra inputs read silence, extra outputs land in scratch the tool never reads.
    for (size_t i = 0; i < inFloat.size(); ++i)
    {
        if (wantDouble)
            inDouble[i] = spare(spareDouble, i);
        else
            inFloat[i] = spare(spareFloat, i);
    }
    for (size_t i = 0; i < outFloat.size(); ++i)
    {
        if (wantDouble)
            outDouble[i] = spare(spareDouble, spareChannels + i);
        else
            outFloat[i] = spare(spareFloat, spareChannels + i);
    }

    Dispatch(effMainsChanged, 0, 1);
    Dispatch(effStartProcess);
    active = true;
    return true;
}

bool Vst2Host::Process(float** inputs, float** outputs, int32_t frames)
{
    for (int32_t c = 0; c < channels; ++c)
    {
        inFloat[static_cast<size_t>(c)] = inputs[c];
        outFloat[static_cast<size_t>(c)] = outputs[c];
    }
    effect->processReplacing(effect, inFloat.data(), outFloat.data(), frames);
    host.time.samplePos += frames;
    return true;
}

bool Vst2Host::Process(double** inputs, double** outputs, int32_t frames)
{
    for (int32_t c = 0; c < channels; ++c)
    {
        inDouble[static_cast<size_t>(c)] = inputs[c];
        outDouble[static_cast<size_t>(c)] = outputs[c];
    }
    effect->processDoubleReplacing(effect, inDouble.data(), outDouble.data(), frames);
    host.time.samplePos += frames;
    return true;
}

void Vst2Host::Stop()
{
    if (!active) return;
    Dispatch(effStopProcess);
    Dispatch(effMainsChanged, 0, 0);
    active = false;
}

std::string Vst2Host::ParamDisplay(int32_t index) const
{
    if (index < 0 || index >= ParamCount()) return {};
    std::string shown = Text(effGetParamDisplay, index);
    const std::string& units = params[static_cast<size_t>(index)].units;
    if (!units.empty()) shown += " " + units;
    return shown;
}

void Vst2Host::Close()
{
    Stop();
    if (effect && opened) Dispatch(effClose); // destroys the instance
    effect = nullptr;
    opened = false;
    library.Close();
}

bool Vst2Host::EditorSnapshot(int32_t ticks, const char* pngPath, std::string& error)
{
    return CallSnapshotEntry(library.Symbol(EditorSnapshotAbi::kEntryName), effect, ticks, pngPath, error);
}
