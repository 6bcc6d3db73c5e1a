#pragma once
// Where the limiter's controls sit, read from the same editor built on the test binding without a
// window. The test executable must embed the artwork (vellicor_embed_artwork): the knobs' places
// come from their pictures' sizes.
#include "gui/IGraphics.h"
#include "vellicor/plugin/CLS_VELLICOR.h"

struct EditorLayout
{
    EditorLayout()
    {
        auto* gui = static_cast<IGraphics*>(reference.GetGUI());
        for (int32_t i = 0; i < gui->ControlCount(); ++i)
        {
            IControl* c = gui->GetControl(i);
            if (c->ParamIndex() >= 0 && c->ParamIndex() < kVellicorParamCount)
                knob[c->ParamIndex()] = c->Area();
        }
    }
    static int CentreX(const IArea& r) { return (r.left + r.right) / 2; }
    static int CentreY(const IArea& r) { return (r.top + r.bottom) / 2; }

    CLS_VELLICOR reference{ITestBinding::InstanceInfo{}};
    IArea knob[kVellicorParamCount] = {};
};
