#pragma once
// An editor that records what the plug-in side asks of it.
#include "core/IEditor.h"

#include <vector>

class RecordingEditor : public IEditor
{
public:
    struct Push
    {
        int32_t index;
        double value;
        bool normalized;
    };

    explicit RecordingEditor(bool* destroyedFlag = nullptr) : destroyed(destroyedFlag) {}
    ~RecordingEditor() override
    {
        if (destroyed) *destroyed = true;
    }

    int32_t Width() const override { return 562; }
    int32_t Height() const override { return 270; }
    int32_t FrameRate() const override { return frameRate; }
    void SetParamFromPlugin(int32_t index, double value, bool normalized) override
    {
        pushes.push_back({index, value, normalized});
    }
    void PrepareBackBuffer() override { ++backBufferPrepared; }
    void* OpenWindow(void*) override { return nullptr; }
    void CloseWindow() override {}
    bool ForwardHostWheel(float) override { return false; }
    void StartDeferredEditEnd(int32_t ticks) override { countdown.push_back(ticks); }
    void CancelDeferredEditEnd() override { ++cancels; }

    int32_t frameRate = 24;
    std::vector<Push> pushes;
    std::vector<int32_t> countdown;
    int cancels = 0;
    int backBufferPrepared = 0;
    bool* destroyed;
};
