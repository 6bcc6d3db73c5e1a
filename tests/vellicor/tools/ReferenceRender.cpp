#include "tests/vellicor/tools/ReferenceRender.h"

#include "vellicor/plugin/CLS_VELLICOR.h"

#include <algorithm>
#include <cstring>
#include <memory>

std::vector<double> RenderReference(const std::vector<double>& interleaved, const ReferenceSetup& setup)
{
    auto plugin = std::make_unique<CLS_VELLICOR>(ITestBinding::InstanceInfo{});
    // What a host's initialise does, then its processing setup.
    plugin->NotifyAllParams();
    plugin->SetSampleRate(setup.sampleRate);
    plugin->SetBlockSize(setup.block);
    plugin->ResetState();
    // The channels the host's buses carry are connected, the others not.
    plugin->SetInputConnections(0, plugin->NInChannels(), false);
    plugin->SetOutputConnections(0, plugin->NOutChannels(), false);
    plugin->SetInputConnections(0, setup.channels, true);
    plugin->SetOutputConnections(0, setup.channels, true);

    // Changes arrive before the first block: the preset, then the values.
    if (!setup.preset.empty())
    {
        for (int32_t i = 0; i < plugin->NPresets(); ++i)
            if (std::strcmp(plugin->PresetName(i), setup.preset.c_str()) == 0) plugin->RestorePreset(i);
    }
    for (const auto& [name, value] : setup.params)
    {
        for (int32_t i = 0; i < plugin->NParams(); ++i)
        {
            IParamSlot* slot = plugin->GetParam(i);
            if (std::strcmp(slot->Name(), name.c_str()) != 0) continue;
            if (setup.normalisedValues)
                slot->SetFromNormalized(slot->ToNormalized(value));
            else
                slot->value = slot->Clamp(value);
            plugin->ParamChanged(i);
        }
    }

    const int32_t ch = setup.channels;
    const int64_t frames = static_cast<int64_t>(interleaved.size()) / ch;
    std::vector<double> out(interleaved.size());
    std::vector<std::vector<double>> in(ch, std::vector<double>(static_cast<size_t>(setup.block)));
    std::vector<std::vector<double>> res(ch, std::vector<double>(static_cast<size_t>(setup.block)));
    for (int64_t offset = 0; offset < frames; offset += setup.block)
    {
        const int32_t n = static_cast<int32_t>(std::min<int64_t>(setup.block, frames - offset));
        double* inPtr[2] = {};
        double* outPtr[2] = {};
        for (int32_t c = 0; c < ch; ++c)
        {
            for (int32_t i = 0; i < n; ++i)
                in[c][i] = interleaved[static_cast<size_t>((offset + i) * ch + c)];
            inPtr[c] = in[c].data();
            outPtr[c] = res[c].data();
        }
        plugin->ProcessHostBlock(inPtr, outPtr, n, false);
        for (int32_t c = 0; c < ch; ++c)
            for (int32_t i = 0; i < n; ++i)
                out[static_cast<size_t>((offset + i) * ch + c)] = res[c][i];
    }
    return out;
}
