// Writes the LV2 bundle's Turtle (manifest, plug-in with its editor, presets) from the plug-in
// object and the identity header, at build time: vellicor-lv2-turtle <bundle folder>.
#include "lv2/Lv2Turtle.h"
#include "vellicor/plugin/CLS_VELLICOR.h"
#include "vellicor/plugin/VellicorIdentity.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace id = vellicor::identity;

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s <bundle folder>\n", argv[0]);
        return 2;
    }
    CLS_VELLICOR plugin(IEffectLV2::InstanceInfo{});
    Lv2BundleFacts facts;
    facts.uri = id::kLv2Uri;
    facts.monoUri = id::kLv2MonoUri;
    facts.uiUri = id::kLv2UiUri;
    facts.binary = "vellicor.so";
    facts.uiBinary = "vellicor_ui.so";
    facts.pluginFile = "vellicor.ttl";
    facts.presetFile = "presets.ttl";
    facts.makerUrl = id::kMakerUrl;
    facts.pluginClass = "lv2:LimiterPlugin";
    facts.minorVersion = id::kVersionMinor;
    facts.microVersion = id::kVersionPatch;
    facts.hiddenParams = {kMemLeft, kMemRight}; // saved with the project, edited by the memory button only

    const std::string dir = argv[1];
    const struct
    {
        std::string file, text;
    } outputs[] = {{"manifest.ttl", lv2turtle::Manifest(plugin, facts)},
                   {facts.pluginFile, lv2turtle::Plugin(plugin, facts)},
                   {facts.presetFile, lv2turtle::Presets(plugin, facts)}};
    for (const auto& out : outputs)
    {
        std::ofstream file(dir + "/" + out.file, std::ios::binary | std::ios::trunc);
        file << out.text;
        if (!file.good())
        {
            std::fprintf(stderr, "%s: cannot write %s/%s\n", argv[0], dir.c_str(), out.file.c_str());
            return 1;
        }
    }
    return 0;
}
