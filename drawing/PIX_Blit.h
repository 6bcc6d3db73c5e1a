#pragma once
// Pixel operations on bitmaps: blits, rotated blits, fills and lines. All integer arithmetic is C
// arithmetic (divisions truncate toward zero, negative intermediates included): the editor's pixels
// are compared against hand-computed values. Missing bitmaps or storage make every call a no-op.
#include "drawing/PIX_IBitmap.h"

// Mode word: the low byte selects the operation, 0x10000 lets the source alpha scale the effect,
// 0x100 selects bilinear filtering (rotated blit only).
enum : int32_t
{
    PIX_MODE_COPY = 0,
    PIX_MODE_ADD = 1,
    PIX_MODE_DODGE = 2,
    PIX_MODE_OP_MASK = 0xFF,
    PIX_MODE_FILTER = 0x100,
    PIX_MODE_SRC_ALPHA = 0x10000,
    PIX_MODE_NORMAL = PIX_MODE_SRC_ALPHA | PIX_MODE_COPY,
    PIX_MODE_ADD_ALPHA = PIX_MODE_SRC_ALPHA | PIX_MODE_ADD,
    PIX_MODE_DODGE_ALPHA = PIX_MODE_SRC_ALPHA | PIX_MODE_DODGE,
};

void Blit(PIX_IBitmap* destination, PIX_IBitmap* source, int32_t destX, int32_t destY, int32_t sourceX,
          int32_t sourceY, int32_t width, int32_t height, float opacity, int32_t mode);

// Samples the source through a rotation about its rectangle's centre (plus the offset) in 16.16 fixed
// point; a positive angle (radians) turns the picture clockwise on the screen.
void RotatedBlit(PIX_IBitmap* destination, PIX_IBitmap* source, int32_t destX, int32_t destY,
                 int32_t destWidth, int32_t destHeight, int32_t sourceX, int32_t sourceY, int32_t sourceWidth,
                 int32_t sourceHeight, float angle, bool clipToSource, float opacity, int32_t mode,
                 float centreOffsetX, float centreOffsetY);

void FillRect(PIX_IBitmap* destination, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour,
              float opacity, int32_t mode);

void Line(PIX_IBitmap* destination, float x1, float y1, float x2, float y2, uint32_t colour, float opacity,
          int32_t mode, bool antialiased);
