#pragma once
// One plug-in parameter as the host's VST3 controller sees it: an SDK Parameter presenting an
// IParamSlot. The slot belongs to the plug-in base and outlives the wrapper; conversions and texts
// are the slot's own, so host, GUI and state agree on every value.
//
// Threads: host UI thread, no lock (the controller's value calls run without it).
#include "core/IParamSlot.h"

#include "public.sdk/source/vst/vstparameters.h"

class IEffectParameter : public Steinberg::Vst::Parameter
{
public:
    IEffectParameter(IParamSlot* slot, Steinberg::Vst::ParamID tag, Steinberg::Vst::UnitID unitId);

    void toString(Steinberg::Vst::ParamValue valueNormalized,
                  Steinberg::Vst::String128 string) const SMTG_OVERRIDE;
    // Any text gives a value: what does not parse as a number reads as 0 (then clamped).
    bool fromString(const Steinberg::Vst::TChar* string,
                    Steinberg::Vst::ParamValue& valueNormalized) const SMTG_OVERRIDE;
    Steinberg::Vst::ParamValue toPlain(Steinberg::Vst::ParamValue valueNormalized) const SMTG_OVERRIDE;
    Steinberg::Vst::ParamValue toNormalized(Steinberg::Vst::ParamValue plainValue) const SMTG_OVERRIDE;

    const IParamSlot* Slot() const { return slot; }

    OBJ_METHODS(IEffectParameter, Parameter)

private:
    IParamSlot* slot;
};
