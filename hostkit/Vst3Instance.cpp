#include "hostkit/Vst3Instance.h"

#include "hostkit/Vst3HostObjects.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace hostkit
{
tresult Vst3Instance::Create(const Vst3Module& module, const unsigned char* cid, FUnknown* context)
{
    Release();
    component = module.Create<IComponent>(cid);
    if (!component) return kNoInterface;
    const tresult result = component->initialize(context);
    initialised = result == kResultOk;
    processor = Query<IAudioProcessor>(component);
    controller = Query<IEditController>(component);
    return result;
}

tresult Vst3Instance::SetActive(bool on)
{
    if (!component) return kNotInitialized;
    if (!on && !active) return kResultOk;
    if (!on && processor) processor->setProcessing(false);
    const tresult result = component->setActive(on);
    active = on && result == kResultOk;
    if (active && processor) processor->setProcessing(true);
    return result;
}

void Vst3Instance::Release()
{
    if (active) SetActive(false);
    if (controller) controller->release();
    if (processor) processor->release();
    if (component && initialised) component->terminate();
    if (component) component->release();
    controller = nullptr;
    processor = nullptr;
    component = nullptr;
    initialised = active = false;
}
} // namespace hostkit
