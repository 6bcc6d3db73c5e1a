#pragma once
// PNG artwork: decoded by libpng straight into a bitmap's rows as 0xAARRGGBB, alpha not premultiplied;
// images without alpha get alpha 255.
#include "drawing/PIX_IBitmap.h"
#include <cstddef>

// Decodes into the given bitmap (resized) or, when it is null, into a new PIX_MemBitmap (line alignment
// 4) that the caller owns. Any failure answers null, leaves nothing allocated and does not touch a
// given bitmap's pointer ownership.
PIX_IBitmap* LoadPngFromMemory(const void* data, size_t size, PIX_IBitmap* destination);
// Finds the "PNG" resource of that id (low 16 bits) in the module and decodes it as above. Null when
// the resource is missing, shorter than 8 bytes or not a valid image.
PIX_IBitmap* LoadPngResource(PIX_ModuleHandle module, int32_t id, PIX_IBitmap* destination);
