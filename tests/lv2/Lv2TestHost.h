#pragma once
// A small LV2 host on Debian's lilv for tests: it loads one bundle as hosts do, offers the usual
// features (URID map, options with the block length, log, recorded), and runs one instance with
// its own port buffers: audio, controls by symbol, an atom input with time:Position or any
// object, and an atom output whose events it hands back.
#include "lv2/atom/atom.h"
#include "lv2/core/lv2.h"
#include "lv2/log/log.h"
#include "lv2/options/options.h"
#include "lv2/urid/urid.h"

#include <lilv/lilv.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace lv2test
{
// URIs to URIDs, as hosts keep them.
class UridMap
{
public:
    UridMap();
    LV2_URID Map(const char* uri);
    LV2_URID_Map* Feature() { return &map; }

private:
    std::vector<std::string> uris;
    LV2_URID_Map map;
};

class World
{
public:
    explicit World(const std::string& bundleDir);
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    const LilvPlugin* Plugin(const char* uri) const;
    LilvWorld* Get() const { return world; }
    LilvNode* Uri(const char* uri); // owned by the world object
    UridMap& Urids() { return urids; }

private:
    LilvWorld* world;
    std::vector<LilvNode*> nodes;
    UridMap urids;
};

class Instance
{
public:
    // Null Get() when the plug-in refused; logged holds what it said.
    Instance(World& world, const LilvPlugin* plugin, double rate, int32_t maxBlock);
    ~Instance();
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    LilvInstance* Get() const { return instance; }
    // The control port with this symbol; false when there is none.
    bool SetControl(const char* symbol, float value);
    // time:Position with frame (and speed 1) at this run's first frame.
    void SendPosition(int64_t frame, float speed = 1.0f);
    // An object as an event of the next run (any atom).
    void SendAtom(const LV2_Atom* atom);
    // Runs frames (at most the block length given): one buffer per audio port each way.
    void Run(const float* const* in, float* const* out, uint32_t frames);
    void Activate();
    void Deactivate();
    // The events the last run wrote on the atom output.
    std::vector<std::vector<uint8_t>> NotifyEvents() const;

    std::vector<std::string> logged;

private:
    static int Printf(LV2_Log_Handle handle, LV2_URID type, const char* fmt, ...);
    static int VPrintf(LV2_Log_Handle handle, LV2_URID type, const char* fmt, va_list ap);
    void ResetInput();

    World& world;
    const LilvPlugin* plugin;
    LilvInstance* instance = nullptr;
    std::map<std::string, uint32_t> controlIndex;
    std::vector<uint32_t> audioIn, audioOut;
    std::vector<float> controls;
    uint32_t controlPort = UINT32_MAX, notifyPort = UINT32_MAX;
    std::vector<uint64_t> inputAtoms, outputAtoms; // 8-byte aligned sequences
    LV2_URID sequenceType = 0;
    LV2_Log_Log log;
    int32_t blockLength;
    float rateValue;
    LV2_Options_Option options[3];
    LV2_Feature mapFeature, logFeature, optionsFeature;
    const LV2_Feature* features[4];
    bool active = false;
};
} // namespace lv2test
