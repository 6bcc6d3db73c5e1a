#pragma once
// What the renderer needs from a plug-in, whatever its format: load, list, configure, process.
// Every call comes from the tool's one thread; Process is the plug-in's audio callback.
#include <cstdint>
#include <string>
#include <vector>

struct ParamInfo
{
    std::string name;
    std::string units;
    double minimum = 0.0; // real units, as the plug-in converts them
    double maximum = 1.0;
    bool integer = false;
    std::string defaultText; // the default as the plug-in displays it
};

enum class Precision
{
    Single = 32,
    Double = 64,
};

class PluginHost
{
public:
    virtual ~PluginHost() = default;

    virtual const char* FormatName() const = 0; // "VST3", "VST2"
    // Loads the module and creates and initialises one instance.
    virtual bool Load(const std::string& path, std::string& error) = 0;
    std::string PluginName() const { return name; }
    std::string PluginVersion() const { return version; }

    virtual int32_t ParamCount() const = 0;
    virtual ParamInfo Param(int32_t index) const = 0;
    int32_t PresetCount() const { return static_cast<int32_t>(presetNames.size()); }
    std::string PresetName(int32_t index) const
    {
        return index >= 0 && index < PresetCount() ? presetNames[static_cast<size_t>(index)] : std::string();
    }

    // Asked before Start, delivered through the host interface before the first sample: the preset
    // first, then the values in the order given.
    virtual void RequestPreset(int32_t index) = 0;
    virtual void RequestParam(int32_t index, double realValue) = 0;

    // Configures and activates processing. channels: 1 (mono) or 2 (stereo).
    virtual bool Start(double sampleRate, int32_t channels, int32_t maxBlock, Precision precision,
                       double transportStartSeconds, std::string& error) = 0;
    // frames <= maxBlock; the buffers of the precision given to Start.
    virtual bool Process(float** inputs, float** outputs, int32_t frames) = 0;
    virtual bool Process(double** inputs, double** outputs, int32_t frames) = 0;
    virtual void Stop() = 0;

    // The parameter's current value as the plug-in displays it, with its units.
    virtual std::string ParamDisplay(int32_t index) const = 0;

    // The instance's editor, drawn without a window by the module's private snapshot entry: `ticks`
    // timer ticks, then, when pngPath is given, the picture written as PNG. False (error set) when
    // the module has no such entry or it fails.
    virtual bool EditorSnapshot(int32_t ticks, const char* pngPath, std::string& error) = 0;

protected:
    // Calls the module's private snapshot entry with the instance the module handed us.
    static bool CallSnapshotEntry(void* entry, void* instance, int32_t ticks, const char* pngPath,
                                  std::string& error);

    // Filled by Load.
    std::string name, version;
    std::vector<std::string> presetNames;
};
