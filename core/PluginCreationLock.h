#pragma once
// Serialises the construction of plug-in instances across the host's threads. Each module links
// its own copy of the framework, so the lock is process-wide per module.
#include <mutex>

namespace vellicor
{
std::mutex& PluginCreationLock();
} // namespace vellicor
