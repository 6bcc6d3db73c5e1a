#include "lv2/Lv2Turtle.h"

#include "lv2/Lv2PortLayout.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace lv2turtle
{
namespace
{
constexpr const char* kPrefixes = "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
                                  "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
                                  "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
                                  "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                                  "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
                                  "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                                  "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                                  "@prefix time: <http://lv2plug.in/ns/ext/time#> .\n"
                                  "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
                                  "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                                  "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n"
                                  "@prefix log: <http://lv2plug.in/ns/ext/log#> .\n"
                                  "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
                                  "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n\n";

// A Turtle string literal.
std::string Quoted(const char* text)
{
    std::string out = "\"";
    for (const char* p = text; *p; ++p)
    {
        if (*p == '"' || *p == '\\') out += '\\';
        out += *p;
    }
    return out + "\"";
}

// Units the parameters' labels name, as LV2 declares them.
const char* UnitFor(const char* label)
{
    static constexpr struct
    {
        const char* label;
        const char* unit;
    } kUnits[] = {{"dB", "units:db"}, {"ms", "units:ms"}, {"%", "units:pc"},
                  {"s", "units:s"},   {"Hz", "units:hz"}, {"kHz", "units:khz"}};
    for (const auto& u : kUnits)
        if (std::strcmp(label, u.label) == 0) return u.unit;
    return nullptr;
}

// "in_l"/"In L" for stereo, "in"/"In" for mono, "in_3"/"In 3" beyond.
std::string ChannelSuffix(int32_t channel, int32_t count, bool symbol)
{
    if (count == 1) return "";
    if (count == 2) return symbol ? (channel == 0 ? "_l" : "_r") : (channel == 0 ? " L" : " R");
    std::string suffix(symbol ? "_" : " ");
    suffix += std::to_string(channel + 1);
    return suffix;
}

void AudioPort(std::ostringstream& o, uint32_t index, bool input, int32_t channel, int32_t count)
{
    const char* stem = input ? "in" : "out";
    o << "[\n        a lv2:AudioPort , " << (input ? "lv2:InputPort" : "lv2:OutputPort") << " ;\n"
      << "        lv2:index " << index << " ;\n"
      << "        lv2:symbol \"" << stem << ChannelSuffix(channel, count, true) << "\" ;\n"
      << "        lv2:name \"" << (input ? "In" : "Out") << ChannelSuffix(channel, count, false)
      << "\"\n    ]";
}

// The values of preset i in parameter order: its stored state, or the defaults where it has none.
std::vector<double> PresetValues(const IEffectBase& plugin, int32_t i)
{
    std::vector<double> values;
    const IEffectBase::Preset* preset = plugin.GetPreset(i);
    int32_t position = 0;
    for (int32_t p = 0; p < plugin.NParams(); ++p)
    {
        double v = plugin.GetParam(p)->defaultValue;
        if (position >= 0 && preset->state.Size() > 0) position = preset->state.ReadDouble(&v, position);
        if (position < 0) v = plugin.GetParam(p)->defaultValue;
        values.push_back(v);
    }
    return values;
}
// The plug-in and its mono variant, where there is one.
std::vector<std::string> PluginUris(const Lv2BundleFacts& facts)
{
    std::vector<std::string> uris{facts.uri};
    if (!facts.monoUri.empty()) uris.push_back(facts.monoUri);
    return uris;
}

// The object of a preset's lv2:appliesTo: every plug-in of the bundle.
std::string AppliesTo(const Lv2BundleFacts& facts)
{
    std::string out;
    for (const std::string& uri : PluginUris(facts))
        out += (out.empty() ? "<" : " , <") + uri + ">";
    return out;
}
} // namespace

std::string Symbol(const char* name)
{
    std::string out;
    bool gap = false;
    for (const char* p = name; *p; ++p)
    {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (std::isalnum(c))
        {
            if (gap && !out.empty()) out += '_';
            out += static_cast<char>(std::tolower(c));
            gap = false;
        }
        else
            gap = true;
    }
    return out;
}

std::string FloatLiteral(double v)
{
    const float f = static_cast<float>(v);
    char text[48];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(f)); // exact where no fixed form is
    for (int decimals = 0; decimals <= 9; ++decimals)
    {
        char fixed[48];
        std::snprintf(fixed, sizeof fixed, "%.*f", decimals, static_cast<double>(f));
        if (std::strtof(fixed, nullptr) == f)
        {
            std::memcpy(text, fixed, sizeof text);
            break;
        }
    }
    std::string out = text;
    // A decimal, not an integer, literal: LV2 reads port values as decimals.
    if (out.find_first_of(".e") == std::string::npos) out += ".0";
    return out;
}

std::string PresetUri(const Lv2BundleFacts& facts, const char* presetName)
{
    std::string slug = Symbol(presetName);
    std::replace(slug.begin(), slug.end(), '_', '-');
    return facts.uri + "#preset-" + slug;
}

std::string Manifest(const IEffectBase& plugin, const Lv2BundleFacts& facts)
{
    std::ostringstream o;
    o << kPrefixes;
    for (const std::string& uri : PluginUris(facts))
        o << "<" << uri << ">\n    a lv2:Plugin ;\n    lv2:binary <" << facts.binary << "> ;\n"
          << "    rdfs:seeAlso <" << facts.pluginFile << "> .\n\n";
    if (!facts.uiUri.empty())
        o << "<" << facts.uiUri << ">\n    a ui:X11UI ;\n    ui:binary <" << facts.uiBinary << "> ;\n"
          << "    rdfs:seeAlso <" << facts.pluginFile << "> .\n\n";
    for (int32_t i = 0; i < plugin.NPresets(); ++i)
    {
        const IEffectBase::Preset* preset = plugin.GetPreset(i);
        if (!preset->initialized) continue;
        o << "<" << PresetUri(facts, preset->name) << ">\n    a pset:Preset ;\n    lv2:appliesTo "
          << AppliesTo(facts) << " ;\n    rdfs:seeAlso <" << facts.presetFile << "> .\n\n";
    }
    return o.str();
}

namespace
{
// One plug-in subject: the plug-in under uri, with audio ports as the layout says.
void PluginSubject(std::ostringstream& o, const IEffectBase& plugin, const Lv2BundleFacts& facts,
                   const std::string& uri, const std::string& name, const Lv2PortLayout& ports)
{
    o << "<" << uri << ">\n"
      << "    a " << facts.pluginClass << " , lv2:Plugin , doap:Project ;\n"
      << "    doap:name " << Quoted(name.c_str()) << " ;\n"
      << "    doap:maintainer [\n        foaf:name " << Quoted(plugin.MakerName()) << " ;\n"
      << "        foaf:homepage <" << facts.makerUrl << ">\n    ] ;\n"
      << "    lv2:minorVersion " << facts.minorVersion << " ;\n"
      << "    lv2:microVersion " << facts.microVersion << " ;\n"
      << "    lv2:optionalFeature lv2:hardRTCapable , urid:map , log:log , opts:options ;\n"
      << "    opts:supportedOption bufsz:maxBlockLength ;\n";
    if (!facts.uiUri.empty()) o << "    ui:ui <" << facts.uiUri << "> ;\n";
    o << "    lv2:port ";

    bool first = true;
    auto next = [&]()
    {
        if (!first) o << " , ";
        first = false;
    };
    for (int32_t c = 0; c < ports.audioIn; ++c)
    {
        next();
        AudioPort(o, ports.AudioIn(c), true, c, ports.audioIn);
    }
    for (int32_t c = 0; c < ports.audioOut; ++c)
    {
        next();
        AudioPort(o, ports.AudioOut(c), false, c, ports.audioOut);
    }
    for (int32_t i = 0; i < ports.params; ++i)
    {
        const IParamSlot* slot = plugin.GetParam(i);
        next();
        o << "[\n        a lv2:InputPort , lv2:ControlPort ;\n"
          << "        lv2:index " << ports.Param(i) << " ;\n"
          << "        lv2:symbol \"" << Symbol(slot->Name()) << "\" ;\n"
          << "        lv2:name " << Quoted(slot->Name()) << " ;\n"
          << "        lv2:default " << FloatLiteral(slot->defaultValue) << " ;\n"
          << "        lv2:minimum " << FloatLiteral(slot->minimum) << " ;\n"
          << "        lv2:maximum " << FloatLiteral(slot->maximum);
        if (const char* unit = UnitFor(slot->Label())) o << " ;\n        units:unit " << unit;
        if (slot->IsIntegerValued()) o << " ;\n        lv2:portProperty lv2:integer";
        if (std::find(facts.hiddenParams.begin(), facts.hiddenParams.end(), i) != facts.hiddenParams.end())
            o << " ;\n        lv2:portProperty pprops:notOnGUI";
        o << "\n    ]";
    }
    next();
    o << "[\n        a lv2:InputPort , atom:AtomPort ;\n"
      << "        atom:bufferType atom:Sequence ;\n"
      << "        atom:supports time:Position ;\n"
      << "        lv2:designation lv2:control ;\n"
      << "        lv2:index " << ports.Control() << " ;\n"
      << "        lv2:symbol \"control\" ;\n"
      << "        lv2:name \"Control\" ;\n"
      << "        lv2:portProperty lv2:connectionOptional\n    ] , [\n"
      << "        a lv2:OutputPort , atom:AtomPort ;\n"
      << "        atom:bufferType atom:Sequence ;\n"
      << "        lv2:designation lv2:control ;\n"
      << "        lv2:index " << ports.Notify() << " ;\n"
      << "        lv2:symbol \"notify\" ;\n"
      << "        lv2:name \"Notify\" ;\n"
      << "        lv2:portProperty lv2:connectionOptional\n    ] .\n\n";
}
} // namespace

std::string Plugin(const IEffectBase& plugin, const Lv2BundleFacts& facts)
{
    std::ostringstream o;
    o << kPrefixes;
    PluginSubject(o, plugin, facts, facts.uri, plugin.EffectName(), Lv2PortLayout::ForChannels(plugin, 0));
    if (!facts.monoUri.empty())
        PluginSubject(o, plugin, facts, facts.monoUri, std::string(plugin.EffectName()) + " Mono",
                      Lv2PortLayout::ForChannels(plugin, 1));
    if (facts.uiUri.empty()) return o.str();
    o << "<" << facts.uiUri << ">\n"
      << "    a ui:X11UI ;\n"
      << "    lv2:requiredFeature ui:parent , urid:map ;\n"
      << "    lv2:optionalFeature ui:touch , ui:resize , ui:idleInterface ;\n"
      << "    lv2:extensionData ui:idleInterface";
    for (const std::string& uri : PluginUris(facts))
        o << " ;\n    ui:portNotification [\n        ui:plugin <" << uri << "> ;\n"
          << "        lv2:symbol \"notify\" ;\n        ui:notifyType atom:Object\n    ]";
    o << " .\n";
    return o.str();
}

std::string Presets(const IEffectBase& plugin, const Lv2BundleFacts& facts)
{
    std::ostringstream o;
    o << kPrefixes;
    for (int32_t i = 0; i < plugin.NPresets(); ++i)
    {
        const IEffectBase::Preset* preset = plugin.GetPreset(i);
        if (!preset->initialized) continue;
        const std::vector<double> values = PresetValues(plugin, i);
        o << "<" << PresetUri(facts, preset->name) << ">\n    a pset:Preset ;\n    lv2:appliesTo "
          << AppliesTo(facts) << " ;\n    rdfs:label " << Quoted(preset->name) << " ;\n    lv2:port ";
        for (int32_t p = 0; p < plugin.NParams(); ++p)
            o << (p ? " , " : "") << "[\n        lv2:symbol \"" << Symbol(plugin.GetParam(p)->Name())
              << "\" ;\n        pset:value " << FloatLiteral(values[static_cast<size_t>(p)]) << "\n    ]";
        o << " .\n\n";
    }
    return o.str();
}
} // namespace lv2turtle
