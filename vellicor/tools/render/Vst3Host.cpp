#include "vellicor/tools/render/Vst3Host.h"

#include "hostkit/HostText.h"
#include "vellicor/editor/EditorSnapshotAbi.h"

#include "pluginterfaces/vst/ivstunits.h"

#include <cmath>
#include <cstring>
#include <sys/stat.h>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
using hostkit::Query;
using hostkit::ToUtf8;

std::string ResultText(tresult r)
{
    switch (r)
    {
    case kResultOk:
        return "ok";
    case kResultFalse:
        return "false";
    case kNotImplemented:
        return "not implemented";
    case kNoInterface:
        return "no interface";
    case kInvalidArgument:
        return "invalid argument";
    case kNotInitialized:
        return "not initialised";
    case kOutOfMemory:
        return "out of memory";
    default:
        return "result " + std::to_string(r);
    }
}
} // namespace

Vst3Host::~Vst3Host()
{
    Release();
}

bool Vst3Host::Load(const std::string& path, std::string& error)
{
    const std::string modulePath = hostkit::Vst3Module::ModulePath(path);
    struct stat st
    {
    };
    if (stat(modulePath.c_str(), &st) != 0)
    {
        error = "no VST3 module at " + modulePath + " (give the bundle or its .so with --plugin)";
        return false;
    }
    if (!module.Open(modulePath, error))
    {
        if (module.Library().Symbol("VSTPluginMain"))
            error = modulePath + " is not a VST3 module but a VST2 one (host it with --format vst2)";
        return false;
    }
    Steinberg::IPluginFactory* factory = module.Factory();
    // The first audio effect class of the factory.
    const int32 classes = factory->countClasses();
    int32 found = -1;
    PClassInfo info{};
    for (int32 i = 0; i < classes && found < 0; ++i)
    {
        if (factory->getClassInfo(i, &info) == kResultOk &&
            std::strcmp(info.category, kVstAudioEffectClass) == 0)
            found = i;
    }
    if (found < 0)
    {
        error = modulePath + " holds no audio effect class";
        return false;
    }
    name = std::string(info.name, strnlen(info.name, sizeof(info.name)));
    if (auto factory2 = Query<IPluginFactory2>(factory))
    {
        PClassInfo2 info2{};
        if (factory2->getClassInfo2(found, &info2) == kResultOk)
            version = std::string(info2.version, strnlen(info2.version, sizeof(info2.version)));
        factory2->release();
    }

    const tresult init =
        instance.Create(module, reinterpret_cast<const unsigned char*>(info.cid), &hostApplication);
    component = instance.component;
    processor = instance.processor;
    controller = instance.controller;
    if (!component)
    {
        error = "cannot create " + name;
        return false;
    }
    if (init != kResultOk)
    {
        error = "cannot initialise " + name + ": " + ResultText(init);
        return false;
    }
    if (!processor)
    {
        error = name + " has no audio processor";
        return false;
    }
    if (!controller)
    {
        error = name + " keeps its controller in a separate object, which this tool does not host";
        return false;
    }
    if (!ReadParameters(error)) return false;
    ReadPrograms();
    return true;
}

bool Vst3Host::ReadParameters(std::string& error)
{
    params.clear();
    const int32 count = controller->getParameterCount();
    for (int32 i = 0; i < count; ++i)
    {
        ParameterInfo info{};
        if (controller->getParameterInfo(i, info) != kResultOk) continue;
        if (info.flags & ParameterInfo::kIsProgramChange)
        {
            hasProgramParam = true;
            programTag = info.id;
            continue;
        }
        if (info.flags & (ParameterInfo::kIsBypass | ParameterInfo::kIsHidden | ParameterInfo::kIsReadOnly))
            continue;
        HostedParam p;
        p.tag = info.id;
        p.info.name = ToUtf8(info.title, 128);
        p.info.units = ToUtf8(info.units, 128);
        p.info.minimum = controller->normalizedParamToPlain(info.id, 0.0);
        p.info.maximum = controller->normalizedParamToPlain(info.id, 1.0);
        p.info.integer = info.stepCount > 0;
        String128 text{};
        if (controller->getParamStringByValue(info.id, info.defaultNormalizedValue, text) == kResultOk)
            p.info.defaultText = ToUtf8(text, 128);
        params.push_back(p);
    }
    if (params.empty())
    {
        error = name + " reports no parameters";
        return false;
    }
    return true;
}

void Vst3Host::ReadPrograms()
{
    presetNames.clear();
    if (!hasProgramParam) return;
    IUnitInfo* units = Query<IUnitInfo>(controller);
    if (!units) return;
    ProgramListInfo list{};
    if (units->getProgramListCount() > 0 && units->getProgramListInfo(0, list) == kResultOk)
    {
        for (int32 i = 0; i < list.programCount; ++i)
        {
            String128 text{};
            units->getProgramName(list.id, i, text);
            presetNames.push_back(ToUtf8(text, 128));
        }
    }
    units->release();
}

ParamInfo Vst3Host::Param(int32_t index) const
{
    if (index < 0 || index >= ParamCount()) return {};
    return params[static_cast<size_t>(index)].info;
}

void Vst3Host::RequestPreset(int32_t index)
{
    if (!hasProgramParam || index < 0 || index >= PresetCount()) return;
    // The program list parameter's plain value is the program index.
    const double normalized = controller->plainParamToNormalized(programTag, index);
    changes.Set(programTag, normalized);
    changesPending = true;
}

void Vst3Host::RequestParam(int32_t index, double realValue)
{
    if (index < 0 || index >= ParamCount()) return;
    const ParamID tag = params[static_cast<size_t>(index)].tag;
    const double normalized = controller->plainParamToNormalized(tag, realValue);
    changes.Set(tag, normalized);
    // The controller learns the value too, as a host's automation lane would tell it.
    controller->setParamNormalized(tag, normalized);
    changesPending = true;
}

bool Vst3Host::Start(double sampleRate, int32_t channels, int32_t maxBlock, Precision precision,
                     double transportStartSeconds, std::string& error)
{
    const int32 sampleSize = precision == Precision::Double ? kSample64 : kSample32;
    if (processor->canProcessSampleSize(sampleSize) != kResultOk)
    {
        error = name + " cannot process " + std::to_string(static_cast<int>(precision)) + "-bit samples";
        return false;
    }
    if (component->getBusCount(kAudio, kInput) < 1 || component->getBusCount(kAudio, kOutput) < 1)
    {
        error = name + " has no audio input or output bus";
        return false;
    }
    SpeakerArrangement arrangement = channels == 1 ? SpeakerArr::kMono : SpeakerArr::kStereo;
    SpeakerArrangement in = arrangement, out = arrangement;
    if (processor->setBusArrangements(&in, 1, &out, 1) != kResultOk)
    {
        error = name + " refuses " + (channels == 1 ? "mono" : "stereo") + " in and out";
        return false;
    }
    component->activateBus(kAudio, kInput, 0, true);
    component->activateBus(kAudio, kOutput, 0, true);

    ProcessSetup setup{};
    setup.processMode = kOffline;
    setup.symbolicSampleSize = sampleSize;
    setup.maxSamplesPerBlock = maxBlock;
    setup.sampleRate = sampleRate;
    const tresult prepared = processor->setupProcessing(setup);
    if (prepared != kResultOk)
    {
        error = name + " refuses the processing setup (" + ResultText(prepared) + ")";
        return false;
    }
    const tresult activated = instance.SetActive(true);
    if (activated != kResultOk)
    {
        error = name + " cannot be activated (" + ResultText(activated) + ")";
        return false;
    }

    call = std::make_unique<hostkit::Vst3ProcessCall>(sampleSize, channels, kOffline);
    ProcessContext& context = call->context;
    context.state = ProcessContext::kPlaying | ProcessContext::kTempoValid | ProcessContext::kTimeSigValid |
                    ProcessContext::kProjectTimeMusicValid | ProcessContext::kContTimeValid;
    context.sampleRate = sampleRate;
    context.tempo = 120.0;
    context.timeSigNumerator = 4;
    context.timeSigDenominator = 4;
    context.projectTimeSamples = static_cast<TSamples>(std::llround(transportStartSeconds * sampleRate));
    samplesPerQuarter = sampleRate * 60.0 / context.tempo;

    return true;
}

bool Vst3Host::RunProcess(int32_t frames)
{
    ProcessContext& context = call->context;
    call->data.inputParameterChanges = changesPending ? &changes : &noChanges;
    context.projectTimeMusic = static_cast<double>(context.projectTimeSamples) / samplesPerQuarter;
    const tresult r = processor->process(call->data);
    if (changesPending)
    {
        changes.Clear();
        changesPending = false;
    }
    context.projectTimeSamples += frames;
    context.continousTimeSamples += frames;
    return r == kResultOk;
}

bool Vst3Host::Process(float** inputs, float** outputs, int32_t frames)
{
    call->SetBuffers(inputs, outputs, frames);
    return RunProcess(frames);
}

bool Vst3Host::Process(double** inputs, double** outputs, int32_t frames)
{
    call->SetBuffers(inputs, outputs, frames);
    return RunProcess(frames);
}

void Vst3Host::Stop()
{
    instance.SetActive(false);
}

std::string Vst3Host::ParamDisplay(int32_t index) const
{
    if (!controller || index < 0 || index >= ParamCount()) return {};
    const HostedParam& p = params[static_cast<size_t>(index)];
    String128 text{};
    if (controller->getParamStringByValue(p.tag, controller->getParamNormalized(p.tag), text) != kResultOk)
        return {};
    std::string shown = ToUtf8(text, 128);
    if (!p.info.units.empty()) shown += " " + p.info.units;
    return shown;
}

void Vst3Host::Release()
{
    instance.Release();
    component = nullptr;
    processor = nullptr;
    controller = nullptr;
    module.Close();
}

bool Vst3Host::EditorSnapshot(int32_t ticks, const char* pngPath, std::string& error)
{
    return CallSnapshotEntry(module.Library().Symbol(EditorSnapshotAbi::kEntryName), component, ticks,
                             pngPath, error);
}
