#pragma once
// A binding with no host format: supplies the host services of IEffectBase, records every gesture
// and edit sent to the "host", and reports a settable transport position. Lets the base and the
// limiter be tested without VST3 or VST2.
#include "core/IEffectBase.h"

#include <cstdint>
#include <vector>

class ITestBinding : public IEffectBase
{
public:
    struct InstanceInfo
    {
        void* moduleInstance = nullptr;
    };

    enum class EditKind
    {
        Begin,
        Edited,
        End
    };
    struct EditEvent
    {
        EditKind kind;
        int32_t index;
        double normalized; // Edited only
        bool operator==(const EditEvent&) const = default;
    };

    ITestBinding(const InstanceInfo&, int32_t paramCount, const char* channelConfig, int32_t presetCount,
                 const char* effectName, const char* productName, const char* makerName, int32_t version,
                 int32_t uniqueId, int32_t makerId, int32_t latency, int32_t midiMode, bool chunks,
                 bool instrument);

    void BeginParamEdit(int32_t index) override;
    void ParamEdited(int32_t index, double normalized) override;
    void EndParamEdit(int32_t index) override;
    int32_t HostSamplePos() override
    {
        ++samplePosQueries;
        return samplePos;
    }

    // A binding: its "host" drives the block plumbing directly.
    using IEffectBase::AttachInputs;
    using IEffectBase::AttachOutputs;
    using IEffectBase::PassThroughBlock;
    using IEffectBase::ProcessHostBlock;
    using IEffectBase::RunBlock;
    using IEffectBase::ZeroScratch;

    void SetHostSamplePos(int32_t pos) { samplePos = pos; }
    void MarkReady() { ProcessingReady = true; } // for base tests that have no plug-in class

    std::vector<EditEvent> edits;
    int32_t samplePos = 0;
    int32_t samplePosQueries = 0;
};
