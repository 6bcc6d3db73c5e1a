#pragma once
// Hosts a VST3 module through its C ABI: module entry, factory, one audio effect instance with its
// (single-component) controller, buses, setupProcessing, setActive and process with a transport
// context and parameter change queues.
#include "hostkit/Vst3HostObjects.h"
#include "hostkit/Vst3Instance.h"
#include "hostkit/Vst3Module.h"
#include "vellicor/tools/render/PluginHost.h"

#include <memory>
#include <vector>

class Vst3Host : public PluginHost
{
public:
    Vst3Host() = default;
    ~Vst3Host() override;

    const char* FormatName() const override { return "VST3"; }
    // path: the .vst3 bundle folder or the shared library inside it.
    bool Load(const std::string& path, std::string& error) override;

    int32_t ParamCount() const override { return static_cast<int32_t>(params.size()); }
    ParamInfo Param(int32_t index) const override;

    void RequestPreset(int32_t index) override;
    void RequestParam(int32_t index, double realValue) override;

    bool Start(double sampleRate, int32_t channels, int32_t maxBlock, Precision precision,
               double transportStartSeconds, std::string& error) override;
    bool Process(float** inputs, float** outputs, int32_t frames) override;
    bool Process(double** inputs, double** outputs, int32_t frames) override;
    void Stop() override;

    std::string ParamDisplay(int32_t index) const override;
    bool EditorSnapshot(int32_t ticks, const char* pngPath, std::string& error) override;

private:
    struct HostedParam
    {
        Steinberg::Vst::ParamID tag;
        ParamInfo info;
    };

    bool ReadParameters(std::string& error);
    void ReadPrograms();
    bool RunProcess(int32_t frames);
    void Release();

    // Declared in unload order, reversed: the instance goes before its module.
    hostkit::Vst3Module module;
    hostkit::Vst3Instance instance;
    Steinberg::Vst::IComponent* component = nullptr; // the instance's interfaces, for short
    Steinberg::Vst::IAudioProcessor* processor = nullptr;
    Steinberg::Vst::IEditController* controller = nullptr;

    hostkit::HostApplication hostApplication{"vellicor-render"};
    hostkit::ParameterChanges changes;
    hostkit::ParameterChanges noChanges{1};
    bool changesPending = false;

    std::vector<HostedParam> params;
    bool hasProgramParam = false;
    Steinberg::Vst::ParamID programTag = 0;

    std::unique_ptr<hostkit::Vst3ProcessCall> call; // from Start
    double samplesPerQuarter = 0.0;
};
