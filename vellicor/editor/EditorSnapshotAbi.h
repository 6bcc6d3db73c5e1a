#pragma once
// The modules' private snapshot entry, as the render tool sees it. Hosts never look it up. It draws
// an instance's editor without a window and writes the picture as PNG; it is versioned so that a
// tool and a module of different builds refuse each other instead of misreading their arguments.
#include <cstdint>

namespace EditorSnapshotAbi
{
constexpr int32_t kVersion = 1;
constexpr const char* kEntryName = "VellicorPrivateEditorSnapshot";

enum Result : int32_t
{
    kOk = 0,
    kWrongVersion = -1,
    kNoEditor = -2,     // the instance has no editor
    kWriteFailed = -3,  // the PNG could not be written
    kBadArguments = -4, // no instance, or a negative tick count
};

// version: kVersion. instance: what the module handed the host (VST3: the IComponent pointer of
// the instance; VST2: its AEffect record). Draws `ticks` timer ticks as an open window would, every
// control marked changed first; then, when pngPath is not null, writes the back buffer as PNG.
using Entry = int32_t (*)(int32_t version, void* instance, int32_t ticks, const char* pngPath);

inline const char* Describe(int32_t result)
{
    switch (result)
    {
    case kOk:
        return "ok";
    case kWrongVersion:
        return "the module's snapshot entry is of another version";
    case kNoEditor:
        return "the plug-in has no editor";
    case kWriteFailed:
        return "the picture could not be written";
    default:
        return "the snapshot entry refused its arguments";
    }
}
} // namespace EditorSnapshotAbi
