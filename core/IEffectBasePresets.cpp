// Presets (programs) and the parameter state: the parameter values in index order as little-endian
// doubles, with no header. Saved projects depend on this layout.
#include "core/FixedText.h"
#include "core/IEffectBase.h"

#include <cstdio>
#include <cstring>

using vellicor::CopyText;

namespace
{
constexpr const char* kUserPresetStem = "user preset";
}

bool IEffectBase::SaveParams(StateChunk& chunk)
{
    PluginLock::Scoped hold(lock);
    bool ok = true;
    for (int32_t i = 0; i < NParams(); ++i)
        ok = chunk.AppendDouble(params[i]->value) && chunk.Size() > 0 && ok;
    return ok;
}

int32_t IEffectBase::LoadParams(const StateChunk& chunk, int32_t position)
{
    PluginLock::Scoped hold(lock);
    for (int32_t i = 0; i < NParams() && position >= 0; ++i)
    {
        double v = 0.0;
        position = chunk.ReadDouble(&v, position);
        if (position < 0) v = 0.0;
        if (ParamInPreset(i, currentPreset))
        {
            params[i]->value = params[i]->Clamp(v);
            ParamChanged(i);
        }
    }
    return position < 0 ? -1 : position;
}

const IEffectBase::Preset* IEffectBase::GetPreset(int32_t index) const
{
    return index >= 0 && index < NPresets() ? presets[index].get() : nullptr;
}

int32_t IEffectBase::FirstFreePreset() const
{
    for (int32_t i = 0; i < NPresets(); ++i)
        if (!presets[i]->initialized) return i;
    return -1;
}

void IEffectBase::MakeDefaultPresets(const char* name, int32_t count)
{
    for (int32_t n = 0; n < count; ++n)
    {
        const int32_t i = FirstFreePreset();
        if (i < 0) return;
        presets[i]->initialized = true;
        CopyText(presets[i]->name, name ? name : "Default");
    }
}

void IEffectBase::MakePreset(const char* name, std::initializer_list<double> values)
{
    const int32_t i = FirstFreePreset();
    if (i < 0) return;
    Preset& preset = *presets[i];
    preset.initialized = true;
    CopyText(preset.name, name);
    // A short list completes the state with each parameter's current value, so the state stays whole.
    const double* v = values.begin();
    for (int32_t p = 0; p < NParams(); ++p, ++v)
    {
        double value = v < values.end() ? *v : params[p]->value;
        if (params[p]->IsIntegerValued()) value = static_cast<int>(value); // integer kinds take whole numbers
        preset.state.AppendDouble(value);
    }
}

bool IEffectBase::RestorePreset(int32_t index)
{
    if (index < 0 || index >= NPresets()) return false;
    PluginLock::Scoped hold(lock);
    Preset& preset = *presets[index];
    if (!preset.initialized)
    {
        preset.initialized = true;
        MakeUserPresetName(preset.name);
        currentPreset = index;
        PushParamsToGui();
        return true;
    }
    currentPreset = index;
    if (LoadParams(preset.state, 0) > 0)
    {
        PushParamsToGui();
        return true;
    }
    return false;
}

void IEffectBase::SetCurrentPresetIndex(int32_t index)
{
    if (index < 0 || index >= NPresets()) return;
    PluginLock::Scoped hold(lock);
    currentPreset = index;
}

void IEffectBase::MakeUserPresetName(char* out) const
{
    if (!out) return;
    int32_t count = 0;
    for (const auto& preset : presets)
        if (std::strstr(preset->name, kUserPresetStem)) ++count;
    std::snprintf(out, kPresetNameSize, "%s %d", kUserPresetStem, count + 1);
}

const char* IEffectBase::PresetName(int32_t index) const
{
    return index >= 0 && index < NPresets() ? presets[index]->name : "";
}

void IEffectBase::ModifyCurrentPreset(const char* name)
{
    if (currentPreset < 0 || currentPreset >= NPresets()) return;
    PluginLock::Scoped hold(lock);
    Preset& preset = *presets[currentPreset];
    preset.state.Clear();
    SaveParams(preset.state);
    if (name && name[0] != '\0') CopyText(preset.name, name);
}

void IEffectBase::EnsureDefaultPreset()
{
    if (!presets.empty()) return;
    auto preset = std::make_unique<Preset>();
    preset->initialized = true;
    CopyText(preset->name, "Default");
    presets.push_back(std::move(preset));
}
