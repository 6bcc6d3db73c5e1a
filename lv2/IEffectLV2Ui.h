#pragma once
// The plug-in as an LV2 UI instance: a plug-in object of its own that never processes audio and
// only carries the editor. The host's port values reach the editor's controls; the editor's edits
// go back through the host's write function, and its gestures through the touch feature. The DSP's
// feed arrives on the notify port; commands go out on the control port (Lv2EditorLink).
//
// Threads: the host's UI thread for every call (instantiate, port_event, idle, cleanup).
#include "core/IEffectBase.h"
#include "lv2/Lv2EditorLink.h"
#include "lv2/Lv2PortLayout.h"

#include "lv2/core/lv2.h"
#include "lv2/ui/ui.h"

#include <vector>

class IEffectLV2Ui : public IEffectBase
{
public:
    struct InstanceInfo
    {
        void* moduleInstance = nullptr;
        const char* pluginUri = "";
        LV2UI_Write_Function write = nullptr;
        LV2UI_Controller controller = nullptr;
        const LV2_Feature* const* features = nullptr;
        int32_t channels = 0; // of the plug-in variant it edits (see IEffectLV2::InstanceInfo)
    };

    IEffectLV2Ui(const InstanceInfo& info, int32_t paramCount, const char* channelConfig, int32_t presetCount,
                 const char* effectName, const char* productName, const char* makerName, int32_t version,
                 int32_t uniqueId, int32_t makerId, int32_t latency, int32_t midiMode, bool chunks,
                 bool instrument);

    void BeginParamEdit(int32_t index) override;
    void BeginParamEditIfIdle(int32_t index) override;
    void ParamEdited(int32_t index, double normalized) override;
    // Writes a value set without an edit (the meter panel's target and memory) before the release.
    void EndParamEdit(int32_t index) override;
    int32_t HostSamplePos() override { return 0; }

    // The LV2 UI entry points (Lv2UiEntry.h).
    // Opens the editor in the host's parent window; answers the editor's window, or null.
    void* Open();
    void PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    int Idle();
    void Close();

    const Lv2PortLayout& Ports() const { return ports; }

protected:
    // UI thread: a feed from the DSP instance arrived.
    virtual void EditorFeedArrived(const float*, int32_t) {}
    // UI thread: asks the DSP instance to act (see IEffectLV2::EditorCommand).
    void SendEditorCommand(int32_t command);

private:
    void WriteParam(int32_t index);
    void Touch(int32_t index, bool grabbed);

    Lv2PortLayout ports;
    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    void* parent = nullptr;
    const LV2UI_Resize* resize = nullptr;
    const LV2UI_Touch* touch = nullptr;
    std::vector<double> written; // last value each port carries as far as this editor knows
    vellicor::lv2::EditorLinkUrids urids;
    bool linked = false;
    LV2_Atom_Forge forge{};
};
