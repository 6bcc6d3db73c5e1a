#pragma once
// Hosts a VST 2.4 module through its C ABI: VSTPluginMain, the dispatcher, setParameter and the
// replacing callbacks (float or double).
#include "hostkit/ModuleLibrary.h"
#include "hostkit/Vst2Host.h"
#include "vellicor/tools/render/PluginHost.h"

#include <vector>

class Vst2Host : public PluginHost
{
public:
    Vst2Host() { host.productName = "vellicor-render"; }
    ~Vst2Host() override;

    const char* FormatName() const override { return "VST2"; }
    bool Load(const std::string& path, std::string& error) override;

    int32_t ParamCount() const override { return static_cast<int32_t>(params.size()); }
    ParamInfo Param(int32_t index) const override;

    void RequestPreset(int32_t index) override { requestedPreset = index; }
    void RequestParam(int32_t index, double realValue) override;

    bool Start(double sampleRate, int32_t channels, int32_t maxBlock, Precision precision,
               double transportStartSeconds, std::string& error) override;
    bool Process(float** inputs, float** outputs, int32_t frames) override;
    bool Process(double** inputs, double** outputs, int32_t frames) override;
    void Stop() override;

    std::string ParamDisplay(int32_t index) const override;
    bool EditorSnapshot(int32_t ticks, const char* pngPath, std::string& error) override;

private:
    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f) const;
    std::string Text(int32_t opcode, int32_t index) const;
    bool ReadRange(int32_t index, ParamInfo& info);
    void Close();

    hostkit::ModuleLibrary library;
    hostkit::Vst2Host host; // answers the plug-in's calls; time is the transport
    AEffect* effect = nullptr;
    bool opened = false;
    bool active = false;
    std::vector<ParamInfo> params;
    int32_t requestedPreset = -1;
    std::vector<std::pair<int32_t, double>> requestedParams;

    int32_t channels = 2;
    // Buffers for plug-in channels beyond the file's (mono files into a stereo effect record).
    std::vector<float> spareFloat;
    std::vector<double> spareDouble;
    std::vector<float*> inFloat, outFloat;
    std::vector<double*> inDouble, outDouble;
};
