#pragma once

#include <string_view>

#include "surface/Bitmap.h"
#include "surface/ByteSink.h"

namespace galleri {

// Encodes the picture as an 8-bit RGB PNG through libpng, one row at a time
// straight from the picture, with the chunks the toolkit writes for its own
// pictures (the resolution in pHYs) and, when `text` is not empty, a text
// chunk with the keyword "Galleri" (tEXt for ASCII, iTXt in UTF-8 otherwise).
// A libpng error throws EncodeError; what `out` throws passes through.
void EncodePng(const Bitmap& picture, ByteSink& out, Resolution resolution,
               std::string_view text = {});

}  // namespace galleri
