#include "vellicor/tools/render/PluginHost.h"

#include "vellicor/editor/EditorSnapshotAbi.h"

bool PluginHost::CallSnapshotEntry(void* entry, void* instance, int32_t ticks, const char* pngPath,
                                   std::string& error)
{
    if (!entry || !instance)
    {
        error = "this module cannot draw its editor without a window (no snapshot entry)";
        return false;
    }
    const auto call = reinterpret_cast<EditorSnapshotAbi::Entry>(entry);
    const int32_t result = call(EditorSnapshotAbi::kVersion, instance, ticks, pngPath);
    if (result == EditorSnapshotAbi::kOk) return true;
    error = EditorSnapshotAbi::Describe(result);
    if (result == EditorSnapshotAbi::kWriteFailed && pngPath) error = std::string("cannot write ") + pngPath;
    return false;
}
