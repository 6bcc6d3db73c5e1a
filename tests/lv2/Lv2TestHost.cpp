#include "tests/lv2/Lv2TestHost.h"

#include "lv2/atom/util.h"
#include "lv2/buf-size/buf-size.h"
#include "lv2/parameters/parameters.h"
#include "lv2/time/time.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace lv2test
{
namespace
{
constexpr size_t kAtomBufferWords = 1024; // 8 KiB per atom port
} // namespace

UridMap::UridMap()
{
    map.handle = this;
    map.map = [](LV2_URID_Map_Handle h, const char* uri) { return static_cast<UridMap*>(h)->Map(uri); };
}

LV2_URID UridMap::Map(const char* uri)
{
    for (size_t i = 0; i < uris.size(); ++i)
        if (uris[i] == uri) return static_cast<LV2_URID>(i + 1);
    uris.emplace_back(uri);
    return static_cast<LV2_URID>(uris.size());
}

World::World(const std::string& bundleDir) : world(lilv_world_new())
{
    // Only the bundle under test, whatever else the machine holds.
    LilvNode* bundle = lilv_new_file_uri(world, nullptr, (bundleDir + "/").c_str());
    lilv_world_load_plugin_classes(world);
    lilv_world_load_bundle(world, bundle);
    lilv_node_free(bundle);
}

World::~World()
{
    for (LilvNode* n : nodes)
        lilv_node_free(n);
    lilv_world_free(world);
}

LilvNode* World::Uri(const char* uri)
{
    nodes.push_back(lilv_new_uri(world, uri));
    return nodes.back();
}

const LilvPlugin* World::Plugin(const char* uri) const
{
    LilvNode* node = lilv_new_uri(world, uri);
    const LilvPlugin* p = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), node);
    lilv_node_free(node);
    return p;
}

Instance::Instance(World& w, const LilvPlugin* p, double rate, int32_t maxBlockFrames)
    : world(w), plugin(p), blockLength(maxBlockFrames), rateValue(static_cast<float>(rate))
{
    UridMap& u = world.Urids();
    sequenceType = u.Map(LV2_ATOM__Sequence);
    log.handle = this;
    log.printf = &Instance::Printf;
    log.vprintf = &Instance::VPrintf;
    options[0] = {LV2_OPTIONS_INSTANCE, 0,           u.Map(LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t),
                  u.Map(LV2_ATOM__Int), &blockLength};
    options[1] = {LV2_OPTIONS_INSTANCE,   0,         u.Map(LV2_PARAMETERS__sampleRate), sizeof(float),
                  u.Map(LV2_ATOM__Float), &rateValue};
    options[2] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
    mapFeature = {LV2_URID__map, u.Feature()};
    logFeature = {LV2_LOG__log, &log};
    optionsFeature = {LV2_OPTIONS__options, options};
    features[0] = &mapFeature;
    features[1] = &logFeature;
    features[2] = &optionsFeature;
    features[3] = nullptr;

    inputAtoms.assign(kAtomBufferWords, 0);
    outputAtoms.assign(kAtomBufferWords, 0);
    const uint32_t ports = lilv_plugin_get_num_ports(plugin);
    controls.assign(ports, 0.0f);
    LilvNode* controlClass = world.Uri(LV2_CORE__ControlPort);
    LilvNode* atomClass = world.Uri(LV2_ATOM__AtomPort);
    LilvNode* inputClass = world.Uri(LV2_CORE__InputPort);
    LilvNode* audioClass = world.Uri(LV2_CORE__AudioPort);
    std::vector<float> defaults(ports, 0.0f);
    lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, defaults.data());

    instance = lilv_plugin_instantiate(plugin, rate, features);
    if (!instance) return;
    for (uint32_t i = 0; i < ports; ++i)
    {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        const std::string symbol = lilv_node_as_string(lilv_port_get_symbol(plugin, port));
        if (lilv_port_is_a(plugin, port, audioClass))
            (lilv_port_is_a(plugin, port, inputClass) ? audioIn : audioOut).push_back(i);
        else if (lilv_port_is_a(plugin, port, controlClass))
        {
            controls[i] = defaults[i];
            controlIndex[symbol] = i;
            lilv_instance_connect_port(instance, i, &controls[i]);
        }
        else if (lilv_port_is_a(plugin, port, atomClass))
        {
            const bool input = lilv_port_is_a(plugin, port, inputClass);
            (input ? controlPort : notifyPort) = i;
            lilv_instance_connect_port(instance, i, input ? inputAtoms.data() : outputAtoms.data());
        }
    }
    ResetInput();
}

Instance::~Instance()
{
    if (!instance) return;
    if (active) lilv_instance_deactivate(instance);
    lilv_instance_free(instance);
}

int Instance::Printf(LV2_Log_Handle handle, LV2_URID type, const char* fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    const int n = VPrintf(handle, type, fmt, ap);
    va_end(ap);
    return n;
}

int Instance::VPrintf(LV2_Log_Handle handle, LV2_URID, const char* fmt, va_list ap)
{
    char text[512];
    const int n = std::vsnprintf(text, sizeof text, fmt, ap);
    static_cast<Instance*>(handle)->logged.emplace_back(text);
    return n;
}

bool Instance::SetControl(const char* symbol, float value)
{
    const auto found = controlIndex.find(symbol);
    if (found == controlIndex.end()) return false;
    controls[found->second] = value;
    return true;
}

void Instance::ResetInput()
{
    auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(inputAtoms.data());
    seq->atom.type = sequenceType;
    seq->atom.size = sizeof(LV2_Atom_Sequence_Body);
    seq->body.unit = 0;
    seq->body.pad = 0;
}

void Instance::SendAtom(const LV2_Atom* atom)
{
    auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(inputAtoms.data());
    const uint32_t total = sizeof(LV2_Atom_Event) + atom->size;
    auto* event = reinterpret_cast<LV2_Atom_Event*>(reinterpret_cast<uint8_t*>(&seq->body) + seq->atom.size);
    event->time.frames = 0;
    std::memcpy(&event->body, atom, sizeof(LV2_Atom) + atom->size);
    seq->atom.size += lv2_atom_pad_size(total);
}

void Instance::SendPosition(int64_t frame, float speed)
{
    UridMap& u = world.Urids();
    struct
    {
        LV2_Atom_Object object;
        LV2_Atom_Property_Body frameKey;
        int64_t frameValue;
        LV2_Atom_Property_Body speedKey;
        float speedValue;
        uint32_t pad;
    } message{};
    message.object.atom = {sizeof(message) - sizeof(LV2_Atom), u.Map(LV2_ATOM__Object)};
    message.object.body = {0, u.Map(LV2_TIME__Position)};
    message.frameKey = {u.Map(LV2_TIME__frame), 0, {sizeof(int64_t), u.Map(LV2_ATOM__Long)}};
    message.frameValue = frame;
    message.speedKey = {u.Map(LV2_TIME__speed), 0, {sizeof(float), u.Map(LV2_ATOM__Float)}};
    message.speedValue = speed;
    SendAtom(&message.object.atom);
}

void Instance::Activate()
{
    lilv_instance_activate(instance);
    active = true;
}

void Instance::Deactivate()
{
    lilv_instance_deactivate(instance);
    active = false;
}

void Instance::Run(const float* const* in, float* const* out, uint32_t frames)
{
    for (size_t c = 0; c < audioIn.size(); ++c)
        lilv_instance_connect_port(instance, audioIn[c], const_cast<float*>(in[c]));
    for (size_t c = 0; c < audioOut.size(); ++c)
        lilv_instance_connect_port(instance, audioOut[c], out[c]);
    auto* notify = reinterpret_cast<LV2_Atom_Sequence*>(outputAtoms.data());
    notify->atom.type = 0;
    notify->atom.size = static_cast<uint32_t>(outputAtoms.size() * sizeof(uint64_t) - sizeof(LV2_Atom));
    lilv_instance_run(instance, frames);
    ResetInput();
}

std::vector<std::vector<uint8_t>> Instance::NotifyEvents() const
{
    std::vector<std::vector<uint8_t>> events;
    const auto* seq = reinterpret_cast<const LV2_Atom_Sequence*>(outputAtoms.data());
    if (seq->atom.type == sequenceType && seq->atom.size >= sizeof(LV2_Atom_Sequence_Body))
        LV2_ATOM_SEQUENCE_FOREACH(seq, event)
        {
            const auto* bytes = reinterpret_cast<const uint8_t*>(&event->body);
            events.emplace_back(bytes, bytes + sizeof(LV2_Atom) + event->body.size);
        }
    return events;
}
} // namespace lv2test
