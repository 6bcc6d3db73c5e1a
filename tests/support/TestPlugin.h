#pragma once
// A minimal plug-in on the test binding: counts ParamChanged calls and can mark itself ready.
#include "tests/support/TestBinding.h"
#include "tests/support/TestIdentity.h"

#include <vector>

class TestPlugin : public ITestBinding
{
public:
    explicit TestPlugin(int32_t params = 3, const char* channels = "1-1 2-2", int32_t presets = 4)
        : ITestBinding(InstanceInfo{}, params, channels, presets, test_identity::kEffectName, "",
                       test_identity::kMakerName, test_identity::kVersion, test_identity::kUniqueId,
                       test_identity::kMakerId, 0, 0, false, false)
    {
    }

    void ParamChanged(int32_t index) override
    {
        PluginLock::Scoped hold(Lock());
        changed.push_back(index);
    }

    std::vector<int32_t> changed;
};
