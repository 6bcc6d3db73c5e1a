#include "gui/IGraphicsCaches.h"

#include "core/FixedText.h"
#include "drawing/PIX_CachedFont.h"
#include "drawing/PIX_IBitmap.h"
#include "gui/IGuiTypes.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace IGraphicsCaches
{
namespace
{
struct BitmapEntry
{
    int32_t id;
    PIX_IBitmap* bitmap;
};

struct FontEntry
{
    int32_t size, orientation, style;
    char face[kFaceSize];
    PIX_CachedFont* font;

    bool Matches(const ITextStyle& s) const
    {
        return size == s.size && orientation == s.orientation && style == s.style &&
               std::strncmp(face, s.face, kFaceSize) == 0;
    }
};

// Made on first use in static storage and never destroyed, so that FreeAll may run from any
// module-unload hook, even after the module's static objects are gone. No heap block holds them:
// a module unloaded right after its first FreeAll leaves nothing behind.
template <typename T, int Which> T& Immortal()
{
    alignas(T) static unsigned char storage[sizeof(T)];
    static T* object = new (storage) T();
    return *object;
}
enum
{
    kBitmaps,
    kFonts,
    kText
};
std::mutex& BitmapLock()
{
    return Immortal<std::mutex, kBitmaps>();
}
std::vector<BitmapEntry>& Bitmaps()
{
    return Immortal<std::vector<BitmapEntry>, kBitmaps>();
}
std::mutex& FontLock()
{
    return Immortal<std::mutex, kFonts>();
}
std::vector<FontEntry>& Fonts()
{
    return Immortal<std::vector<FontEntry>, kFonts>();
}

PIX_IBitmap* FindBitmapLocked(int32_t id)
{
    if (id == kCroppedId) return nullptr; // cropped bitmaps are never shared
    for (const BitmapEntry& e : Bitmaps())
        if (e.id == id) return e.bitmap;
    return nullptr;
}

PIX_CachedFont* FindFontLocked(const ITextStyle& style)
{
    for (const FontEntry& e : Fonts())
        if (e.Matches(style)) return e.font;
    return nullptr;
}
} // namespace

std::unique_lock<std::mutex> LockText()
{
    return std::unique_lock<std::mutex>(Immortal<std::mutex, kText>());
}

PIX_IBitmap* FindBitmap(int32_t id)
{
    std::lock_guard<std::mutex> hold(BitmapLock());
    return FindBitmapLocked(id);
}

PIX_IBitmap* AddBitmap(int32_t id, PIX_IBitmap* bitmap)
{
    if (!bitmap) return nullptr;
    std::unique_lock<std::mutex> hold(BitmapLock());
    if (PIX_IBitmap* existing = FindBitmapLocked(id))
    {
        hold.unlock();
        delete bitmap;
        return existing;
    }
    Bitmaps().push_back({id, bitmap});
    return bitmap;
}

PIX_CachedFont* FindFont(const ITextStyle& style)
{
    std::lock_guard<std::mutex> hold(FontLock());
    return FindFontLocked(style);
}

PIX_CachedFont* AddFont(const ITextStyle& style, PIX_CachedFont* font)
{
    if (!font) return nullptr;
    std::unique_lock<std::mutex> hold(FontLock());
    if (PIX_CachedFont* existing = FindFontLocked(style))
    {
        hold.unlock();
        delete font;
        return existing;
    }
    FontEntry e{style.size, style.orientation, style.style, {}, font};
    vellicor::CopyText(e.face, style.face);
    Fonts().push_back(e);
    return font;
}

int32_t BitmapCount()
{
    std::lock_guard<std::mutex> hold(BitmapLock());
    return static_cast<int32_t>(Bitmaps().size());
}

int32_t FontCount()
{
    std::lock_guard<std::mutex> hold(FontLock());
    return static_cast<int32_t>(Fonts().size());
}

namespace
{
std::atomic<int32_t> liveEditors{0};
}

void EditorCreated()
{
    liveEditors.fetch_add(1, std::memory_order_relaxed);
}

void EditorDestroyed()
{
    liveEditors.fetch_sub(1, std::memory_order_relaxed);
}

int32_t LiveEditors()
{
    return liveEditors.load(std::memory_order_relaxed);
}

bool FreeAll()
{
    if (LiveEditors() > 0) return false;
    std::vector<BitmapEntry> bitmaps;
    std::vector<FontEntry> fonts;
    {
        std::lock_guard<std::mutex> hold(BitmapLock());
        bitmaps.swap(Bitmaps());
    }
    {
        std::lock_guard<std::mutex> hold(FontLock());
        fonts.swap(Fonts());
    }
    for (BitmapEntry& e : bitmaps)
        delete e.bitmap;
    for (FontEntry& e : fonts)
        delete e.font;
    return true;
}
} // namespace IGraphicsCaches
