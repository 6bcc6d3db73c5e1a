#pragma once
// The channel between a plug-in's DSP instance and its editor instance, which LV2 keeps apart
// (possibly in different processes): the DSP sends a "feed" (a short vector of floats the plug-in
// class fills, e.g. meter readings) on its notify port; the editor sends "commands" (small integers)
// on the control port. Message types are named under the plug-in's own URI. Any thread.
#include "lv2/atom/atom.h"
#include "lv2/atom/forge.h"
#include "lv2/urid/urid.h"

#include <cstdint>
#include <string>

namespace vellicor::lv2
{
inline constexpr int32_t kMaxFeedValues = 16;
// Sent by an editor when it opens: the DSP answers with its whole feed at the next run.
inline constexpr int32_t kCommandResendFeed = 0;

inline constexpr char kFeedSuffix[] = "#EditorFeed";
inline constexpr char kFeedValuesSuffix[] = "#feedValues";
inline constexpr char kCommandSuffix[] = "#EditorCommand";
inline constexpr char kCommandValueSuffix[] = "#command";

struct EditorLinkUrids
{
    LV2_URID feed = 0, feedValues = 0, command = 0, commandValue = 0;
    LV2_URID atomFloat = 0, atomInt = 0, atomVector = 0, atomObject = 0, atomBlank = 0, eventTransfer = 0;

    // Maps every URI; false (and nothing usable) without a map. Not on the audio thread: hosts may lock.
    bool Map(const LV2_URID_Map* map, const char* pluginUri);
};

// The feed values carried by atom, or -1 when atom is no feed. values: kMaxFeedValues floats.
int32_t ReadFeed(const EditorLinkUrids& urids, const LV2_Atom* atom, float* values);
// The command carried by atom, or -1 when atom is no command.
int32_t ReadCommand(const EditorLinkUrids& urids, const LV2_Atom* atom);
// Writes a command object into forge; answers whether it fitted.
bool ForgeCommand(const EditorLinkUrids& urids, LV2_Atom_Forge& forge, int32_t command);
// Writes a feed object (at the forge's current position); answers whether it fitted.
bool ForgeFeed(const EditorLinkUrids& urids, LV2_Atom_Forge& forge, const float* values, int32_t count);
} // namespace vellicor::lv2
