#pragma once
// Saves a bitmap (a frame buffer or back buffer) as an 8-bit RGBA PNG file, for tests and snapshots.
class PIX_IBitmap;

// False when the bitmap is missing or empty, or the file cannot be written; no partial file is left.
bool WritePngFile(PIX_IBitmap* bitmap, const char* path);
