#pragma once
// The process-wide caches of loaded bitmaps and made fonts, shared by every editor of the module.
// Each has its own lock, held only while its list is searched or extended. Controls point into
// them; everything in them lives until the module unloads (FreeAll).
#include <cstdint>
#include <mutex>

class PIX_IBitmap;
class PIX_CachedFont;
struct ITextStyle;

namespace IGraphicsCaches
{
constexpr int32_t kCroppedId = -1; // cropped bitmaps, entered only to be freed with the cache
constexpr int kFaceSize = 36;

PIX_IBitmap* FindBitmap(int32_t id);
// Takes ownership. When another editor entered the same id meanwhile, that bitmap wins: the given
// one is deleted and the cached one returned. Null is not entered.
PIX_IBitmap* AddBitmap(int32_t id, PIX_IBitmap* bitmap);

// A font matches a style by size, orientation, style bits and face name (exact); colour, alignment
// and quality are not part of the key.
PIX_CachedFont* FindFont(const ITextStyle& style);
PIX_CachedFont* AddFont(const ITextStyle& style, PIX_CachedFont* font); // as AddBitmap

// Held while a thread makes or uses a cached font: the fonts, their colour and glyph tables, and the
// font layer's scratch bitmaps are shared by every editor of the process, which may draw on two
// threads at once. The font cache's lock may be taken while it is held, never the other way round.
std::unique_lock<std::mutex> LockText();

int32_t BitmapCount();
int32_t FontCount();

// Editors alive in the module: their controls point into the caches.
void EditorCreated();
void EditorDestroyed();
int32_t LiveEditors();

// Module unload: deletes every bitmap and font, unless an editor still exists (a host that unloads
// with instances alive): then nothing is freed and the answer is false.
bool FreeAll();
} // namespace IGraphicsCaches
