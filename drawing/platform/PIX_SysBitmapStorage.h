#pragma once
// Storage of PIX_SysBitmap, one body per platform (drawing/platform/<os>/PIX_SysBitmapStorage.cpp).
// Windows: a memory drawing context compatible with the screen and a 32-bit top-down DIB section.
#include "drawing/PIX_IBitmap.h"

namespace PIX_SysBitmapStorage
{
// The context the bitmap keeps for its life; null on failure.
void* CreateContext();
void DeleteContext(void* context);
// Creates a top-down 32-bit section of width x height pixels (row span = width) and selects it into the
// context; answers the section (null on failure), its pixels and the object selected before.
void* CreateSection(void* context, int32_t width, int32_t height, uint32_t** pixels, void** previous);
// Puts the previous object back and deletes the section.
void DeleteSection(void* context, void* section, void* previous);
// The handle PIX_SysBitmap::DrawingContext answers.
PIX_DrawingContext PublicContext(void* context);
} // namespace PIX_SysBitmapStorage
