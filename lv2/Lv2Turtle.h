#pragma once
// The Turtle of an LV2 bundle, written from the plug-in object itself (its parameters, channels and
// presets) and the few facts LV2 adds (URIs, file names, maker). Run at build time, so that the
// bundle states nothing that the plug-in's own tables do not. Any thread.
#include "core/IEffectBase.h"

#include <string>
#include <vector>

struct Lv2BundleFacts
{
    std::string uri;        // the plug-in
    std::string monoUri;    // its mono variant (one audio port each way); empty for none
    std::string uiUri;      // its X11 editor; empty for none
    std::string binary;     // DSP module file in the bundle
    std::string uiBinary;   // UI module file in the bundle
    std::string pluginFile; // the plug-in's Turtle
    std::string presetFile; // the presets' Turtle
    std::string makerUrl;
    std::string pluginClass = "lv2:Plugin"; // e.g. lv2:LimiterPlugin
    int32_t minorVersion = 0, microVersion = 0;
    std::vector<int32_t> hiddenParams; // ports that stay ports but stay off generic UIs
};

namespace lv2turtle
{
// "Input Gain" -> "input_gain": lower case, anything else than a letter or digit as "_".
std::string Symbol(const char* name);
// The shortest decimal that reads back as the same single-precision value (ports are floats).
std::string FloatLiteral(double v);
// The preset's URI: the plug-in's, with "#preset-" and the name's symbol ("-" for "_").
std::string PresetUri(const Lv2BundleFacts& facts, const char* presetName);

std::string Manifest(const IEffectBase& plugin, const Lv2BundleFacts& facts);
std::string Plugin(const IEffectBase& plugin, const Lv2BundleFacts& facts);
std::string Presets(const IEffectBase& plugin, const Lv2BundleFacts& facts);
} // namespace lv2turtle
