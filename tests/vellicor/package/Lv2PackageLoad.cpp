// For the package check: loads the LV2 bundle of an unpacked package as LV2 hosts do (lilv, the
// test host of the LV2 binding), checks who it says it is, and limits one block of a full-scale
// tone with "Out Limit" at -6 dB. Exit status 0 when all is as it should be; one line says why not.
//   vellicor-lv2-package-load BUNDLE_DIR
#include "tests/lv2/Lv2TestHost.h"
#include "vellicor/plugin/VellicorIdentity.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace id = vellicor::identity;

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: vellicor-lv2-package-load BUNDLE_DIR\n");
        return 2;
    }
    std::string bundle = argv[1];
    if (bundle.back() != '/') bundle += '/'; // lilv takes bundle URIs that end in a slash
    lv2test::World world(bundle);
    const LilvPlugin* plugin = world.Plugin(id::kLv2Uri);
    if (!plugin)
    {
        std::fprintf(stderr, "no plug-in %s in %s\n", id::kLv2Uri, bundle.c_str());
        return 1;
    }
    LilvNode* name = lilv_plugin_get_name(plugin);
    LilvNode* author = lilv_plugin_get_author_name(plugin);
    const std::string nameText = name ? lilv_node_as_string(name) : "";
    const std::string authorText = author ? lilv_node_as_string(author) : "";
    lilv_node_free(name);
    lilv_node_free(author);
    if (nameText != id::kEffectName || authorText != id::kMakerName)
    {
        std::fprintf(stderr, "the bundle names \"%s\" by \"%s\"\n", nameText.c_str(), authorText.c_str());
        return 1;
    }

    constexpr uint32_t kFrames = 512;
    lv2test::Instance instance(world, plugin, 48000.0, kFrames);
    if (!instance.Get())
    {
        std::fprintf(stderr, "the plug-in refused to start\n");
        return 1;
    }
    instance.SetControl("out_limit", -6.0f);
    instance.Activate();
    std::vector<float> left(kFrames), right(kFrames), outLeft(kFrames), outRight(kFrames);
    for (uint32_t i = 0; i < kFrames; ++i)
        left[i] = right[i] = static_cast<float>(std::sin(0.05 * i));
    const float* in[2] = {left.data(), right.data()};
    float* out[2] = {outLeft.data(), outRight.data()};
    instance.Run(in, out, kFrames);
    instance.Deactivate();
    float peak = 0.0f;
    for (uint32_t i = 0; i < kFrames; ++i)
        peak = std::max({peak, std::fabs(outLeft[i]), std::fabs(outRight[i])});
    const double db = 20.0 * std::log10(std::max(peak, 1e-12f));
    // Delayed by the look-ahead, the tone still fills most of the block, limited to the ceiling.
    if (!(db > -6.2 && db < -5.9))
    {
        std::fprintf(stderr, "one block limited to -6 dB peaks at %.2f dBFS\n", db);
        return 1;
    }
    std::printf("%s by %s (%s): one block peaks at %.2f dBFS\n", nameText.c_str(), authorText.c_str(), id::kLv2Uri,
                db);
    return 0;
}
