#include "tools/render/Vst3Host.h"

#include "gui/EditorSnapshotAbi.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <sys/stat.h>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
using GetFactoryProc = IPluginFactory*(PLUGIN_API*)();
using ModuleEntryProc = bool (*)(void*);
using ModuleExitProc = bool (*)();
using InitDllProc = bool (*)();

std::string Narrow(const char16* text, size_t capacity)
{
    // UTF-16 to UTF-8; surrogate pairs are combined.
    std::string out;
    for (size_t i = 0; i < capacity && text[i] != 0; ++i)
    {
        uint32_t c = static_cast<uint16_t>(text[i]);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < capacity)
        {
            const uint32_t low = static_cast<uint16_t>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000)
            {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c < 0x80)
            out += static_cast<char>(c);
        else if (c < 0x800)
        {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        else if (c < 0x10000)
        {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        else
        {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

template <class T> T* Query(FUnknown* object)
{
    void* out = nullptr;
    if (!object || object->queryInterface(T::iid, &out) != kResultOk) return nullptr;
    return static_cast<T*>(out);
}

template <class T> void ReleaseRef(T*& p)
{
    if (p) p->release();
    p = nullptr;
}

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

std::string Vst3Host::ModulePath(const std::string& path)
{
    struct stat st
    {
    };
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    {
        std::string bundle = path;
        while (bundle.size() > 1 && bundle.back() == '/')
            bundle.pop_back();
        const size_t slash = bundle.find_last_of('/');
        std::string stem = slash == std::string::npos ? bundle : bundle.substr(slash + 1);
        if (stem.size() > 5 && stem.compare(stem.size() - 5, 5, ".vst3") == 0) stem.resize(stem.size() - 5);
        return bundle + "/Contents/x86_64-linux/" + stem + ".so";
    }
    return path;
}

bool Vst3Host::Load(const std::string& path, std::string& error)
{
    const std::string modulePath = ModulePath(path);
    struct stat st
    {
    };
    if (stat(modulePath.c_str(), &st) != 0)
    {
        error = "no VST3 module at " + modulePath + " (give the bundle or its .so with --plugin)";
        return false;
    }
    if (!library.Open(modulePath, error)) return false;

    auto getFactory = reinterpret_cast<GetFactoryProc>(library.Symbol("GetPluginFactory"));
    if (!getFactory)
    {
        error = modulePath + (library.Symbol("VSTPluginMain")
                                  ? " is not a VST3 module but a VST2 one (host it with --format vst2)"
                                  : " is not a VST3 module (no GetPluginFactory)");
        return false;
    }
    // Linux modules export ModuleEntry; older ones only InitDll.
    if (auto entry = reinterpret_cast<ModuleEntryProc>(library.Symbol("ModuleEntry")))
    {
        if (!entry(library.Handle()))
        {
            error = modulePath + ": ModuleEntry failed";
            return false;
        }
        moduleEntered = true;
    }
    else if (auto init = reinterpret_cast<InitDllProc>(library.Symbol("InitDll")))
    {
        if (!init())
        {
            error = modulePath + ": InitDll failed";
            return false;
        }
        moduleEntered = true;
    }

    factory = getFactory();
    if (!factory)
    {
        error = modulePath + ": GetPluginFactory gave no factory";
        return false;
    }

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

    void* object = nullptr;
    const tresult created = factory->createInstance(info.cid, IComponent::iid, &object);
    if (created != kResultOk || !object)
    {
        error = "cannot create " + name + ": " + ResultText(created);
        return false;
    }
    component = static_cast<IComponent*>(object);
    const tresult init = component->initialize(&hostApplication);
    if (init != kResultOk)
    {
        error = "cannot initialise " + name + ": " + ResultText(init);
        return false;
    }
    initialized = true;

    processor = Query<IAudioProcessor>(component);
    if (!processor)
    {
        error = name + " has no audio processor";
        return false;
    }
    controller = Query<IEditController>(component);
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
        p.info.name = Narrow(info.title, 128);
        p.info.units = Narrow(info.units, 128);
        p.info.minimum = controller->normalizedParamToPlain(info.id, 0.0);
        p.info.maximum = controller->normalizedParamToPlain(info.id, 1.0);
        p.info.integer = info.stepCount > 0;
        String128 text{};
        if (controller->getParamStringByValue(info.id, info.defaultNormalizedValue, text) == kResultOk)
            p.info.defaultText = Narrow(text, 128);
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
            presetNames.push_back(Narrow(text, 128));
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
    changes.Add(programTag, normalized);
    changesPending = true;
}

void Vst3Host::RequestParam(int32_t index, double realValue)
{
    if (index < 0 || index >= ParamCount()) return;
    const ParamID tag = params[static_cast<size_t>(index)].tag;
    const double normalized = controller->plainParamToNormalized(tag, realValue);
    changes.Add(tag, normalized);
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
    const tresult activated = component->setActive(true);
    if (activated != kResultOk)
    {
        error = name + " cannot be activated (" + ResultText(activated) + ")";
        return false;
    }
    active = true;
    processor->setProcessing(true); // many plug-ins answer not-implemented, which is fine

    context = {};
    context.state = ProcessContext::kPlaying | ProcessContext::kTempoValid | ProcessContext::kTimeSigValid |
                    ProcessContext::kProjectTimeMusicValid | ProcessContext::kContTimeValid;
    context.sampleRate = sampleRate;
    context.tempo = 120.0;
    context.timeSigNumerator = 4;
    context.timeSigDenominator = 4;
    context.projectTimeSamples = static_cast<TSamples>(std::llround(transportStartSeconds * sampleRate));
    samplesPerQuarter = sampleRate * 60.0 / context.tempo;

    data = ProcessData();
    data.processMode = kOffline;
    data.symbolicSampleSize = sampleSize;
    inBus = AudioBusBuffers();
    outBus = AudioBusBuffers();
    inBus.numChannels = channels;
    outBus.numChannels = channels;
    data.numInputs = 1;
    data.numOutputs = 1;
    data.inputs = &inBus;
    data.outputs = &outBus;
    data.processContext = &context;
    return true;
}

bool Vst3Host::RunProcess(int32_t frames)
{
    data.numSamples = frames;
    data.inputParameterChanges = changesPending ? &changes : &noChanges;
    context.projectTimeMusic = static_cast<double>(context.projectTimeSamples) / samplesPerQuarter;
    const tresult r = processor->process(data);
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
    inBus.channelBuffers32 = inputs;
    outBus.channelBuffers32 = outputs;
    return RunProcess(frames);
}

bool Vst3Host::Process(double** inputs, double** outputs, int32_t frames)
{
    inBus.channelBuffers64 = inputs;
    outBus.channelBuffers64 = outputs;
    return RunProcess(frames);
}

void Vst3Host::Stop()
{
    if (!active) return;
    processor->setProcessing(false);
    component->setActive(false);
    active = false;
}

std::string Vst3Host::ParamDisplay(int32_t index) const
{
    if (!controller || index < 0 || index >= ParamCount()) return {};
    const HostedParam& p = params[static_cast<size_t>(index)];
    String128 text{};
    if (controller->getParamStringByValue(p.tag, controller->getParamNormalized(p.tag), text) != kResultOk)
        return {};
    std::string shown = Narrow(text, 128);
    if (!p.info.units.empty()) shown += " " + p.info.units;
    return shown;
}

void Vst3Host::Release()
{
    Stop();
    ReleaseRef(controller);
    ReleaseRef(processor);
    if (component && initialized) component->terminate();
    initialized = false;
    ReleaseRef(component);
    ReleaseRef(factory);
    if (moduleEntered)
    {
        if (auto exitProc = reinterpret_cast<ModuleExitProc>(library.Symbol("ModuleExit")))
            exitProc();
        else if (auto exitDll = reinterpret_cast<ModuleExitProc>(library.Symbol("ExitDll")))
            exitDll();
        moduleEntered = false;
    }
    library.Close();
}

bool Vst3Host::EditorSnapshot(int32_t ticks, const char* pngPath, std::string& error)
{
    return CallSnapshotEntry(library.Symbol(EditorSnapshotAbi::kEntryName), component, ticks, pngPath, error);
}
