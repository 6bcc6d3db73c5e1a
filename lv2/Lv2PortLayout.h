#pragma once
// Where each port of a plug-in sits in its LV2 port list: audio inputs, audio outputs, one control
// input per parameter in index order, then the atom input ("control": transport and editor
// commands) and the atom output ("notify": the editor's feed). The Turtle writer, the DSP binding
// and the UI binding all place ports through this one rule. Any thread.
#include "core/IEffectBase.h"

#include <algorithm>
#include <cstdint>

struct Lv2PortLayout
{
    int32_t audioIn = 0, audioOut = 0, params = 0;

    // The plug-in's ports with channels audio ports each way (0: its widest configuration).
    static Lv2PortLayout ForChannels(const IEffectBase& plugin, int32_t channels)
    {
        if (channels <= 0) return {plugin.NInChannels(), plugin.NOutChannels(), plugin.NParams()};
        return {std::min(channels, plugin.NInChannels()), std::min(channels, plugin.NOutChannels()),
                plugin.NParams()};
    }

    uint32_t AudioIn(int32_t channel) const { return static_cast<uint32_t>(channel); }
    uint32_t AudioOut(int32_t channel) const { return static_cast<uint32_t>(audioIn + channel); }
    uint32_t Param(int32_t index) const { return static_cast<uint32_t>(audioIn + audioOut + index); }
    uint32_t Control() const { return static_cast<uint32_t>(audioIn + audioOut + params); }
    uint32_t Notify() const { return Control() + 1; }
    uint32_t Count() const { return Notify() + 1; }

    // The parameter index a port carries, or -1.
    int32_t ParamAt(uint32_t port) const
    {
        const int64_t i = int64_t(port) - audioIn - audioOut;
        return i >= 0 && i < params ? static_cast<int32_t>(i) : -1;
    }
};
