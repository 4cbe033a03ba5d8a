#pragma once

#include <string_view>

#include "surface/Bitmap.h"
#include "surface/ByteSink.h"

namespace galleri {

// Encodes the picture as a baseline JPEG of quality 90 with three colour
// components, rows from top to bottom, one row at a time straight from the
// picture, and hands the bytes to `out` each time the encoder's one
// fixed-size buffer fills. A non-empty `text` goes into a comment (COM)
// marker. A libjpeg error (for example a side over 65500) throws EncodeError
// with libjpeg's message; what `out` throws passes through.
void EncodeJpeg(const Bitmap& picture, ByteSink& out, std::string_view text = {});

// For tests: called each time the encoder's buffer is full, with the number
// of such flushes so far; returning true makes libjpeg fail right there, as
// if it had run out of memory.
using JpegFaultHook = bool (*)(int flushes);
void SetJpegFaultHook(JpegFaultHook hook);

}  // namespace galleri
