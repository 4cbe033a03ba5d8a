#pragma once

#include "surface/Bitmap.h"
#include "surface/ByteSink.h"

namespace galleri {

// Whether a bitmap file can hold a picture of this size: its header counts
// the file's bytes in a signed 32-bit field, so at most 2 GB.
bool BmpFits(int width, int height);

// Writes the picture as a 24-bit bitmap file (BMP), rows from the bottom up
// as the format stores them, a few rows at a time straight from the picture:
// the same bytes the toolkit writes for its own pictures. A picture that does
// not fit throws EncodeError; what `out` throws passes through.
void EncodeBmp(const Bitmap& picture, ByteSink& out, Resolution resolution);

}  // namespace galleri
