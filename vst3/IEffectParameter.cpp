#include "vst3/IEffectParameter.h"

#include "core/Utf16Text.h"

#include <cmath>
#include <cwchar>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
double DefaultNormalized(const IParamSlot& slot)
{
    const double range = slot.maximum - slot.minimum;
    const double ratio = range > 0.0 ? (slot.defaultValue - slot.minimum) / range : 0.0;
    // Not clamped above 1, as the slot stores it; a ratio below 0 would make pow answer NaN.
    return std::pow(ratio > 0.0 ? ratio : 0.0, 1.0 / slot.shape);
}
} // namespace

IEffectParameter::IEffectParameter(IParamSlot* paramSlot, ParamID tag, UnitID unitId) : slot(paramSlot)
{
    info.id = tag;
    vellicor::Utf8ToUtf16(slot->Name(), info.title, 128);
    info.shortTitle[0] = 0;
    vellicor::Utf8ToUtf16(slot->Label(), info.units, 128);
    info.stepCount = slot->kind == IParamSlot::kReal ? 0 : static_cast<int32>(slot->maximum - slot->minimum);
    info.defaultNormalizedValue = DefaultNormalized(*slot);
    info.unitId = unitId;
    info.flags = slot->automatable ? ParameterInfo::kCanAutomate : 0;
    valueNormalized = info.defaultNormalizedValue;
    precision = slot->displayPrecision;
}

void IEffectParameter::toString(ParamValue normalized, String128 string) const
{
    char text[IParamSlot::kTextSize];
    slot->FormatValue(normalized, true, text);
    vellicor::Utf8ToUtf16(text, string, 128);
}

bool IEffectParameter::fromString(const TChar* string, ParamValue& normalized) const
{
    // wcstod reads wchar_t, which is 32 bits wide here: widen the UTF-16 text unit by unit.
    wchar_t wide[129];
    std::size_t n = 0;
    for (; string && n < 128 && string[n] != 0; ++n)
        wide[n] = static_cast<wchar_t>(string[n]);
    wide[n] = L'\0';
    const double plain = std::wcstod(wide, nullptr);
    normalized = slot->ToNormalized(plain);
    return true;
}

ParamValue IEffectParameter::toPlain(ParamValue normalized) const
{
    return slot->FromNormalized(normalized);
}

ParamValue IEffectParameter::toNormalized(ParamValue plain) const
{
    return slot->ToNormalized(plain);
}
