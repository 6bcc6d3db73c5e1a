#include "tests/support/TestBinding.h"

ITestBinding::ITestBinding(const InstanceInfo&, int32_t paramCount, const char* channelConfig,
                           int32_t presetCount, const char* effectName, const char* productName,
                           const char* makerName, int32_t version, int32_t uniqueId, int32_t makerId,
                           int32_t latency, int32_t midiMode, bool chunks, bool instrument)
    : IEffectBase(paramCount, channelConfig, presetCount, effectName, productName, makerName, version,
                  uniqueId, makerId, latency, midiMode, chunks, instrument, kBindingVST3)
{
}

void ITestBinding::BeginParamEdit(int32_t index)
{
    edits.push_back({EditKind::Begin, index, 0.0});
}

void ITestBinding::ParamEdited(int32_t index, double normalized)
{
    edits.push_back({EditKind::Edited, index, normalized});
}

void ITestBinding::EndParamEdit(int32_t index)
{
    edits.push_back({EditKind::End, index, 0.0});
}
