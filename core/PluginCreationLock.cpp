#include "core/PluginCreationLock.h"

namespace vellicor
{
std::mutex& PluginCreationLock()
{
    static std::mutex lock;
    return lock;
}
} // namespace vellicor
