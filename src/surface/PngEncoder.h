#pragma once

#include <span>
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

// A text chunk of a PNG file: its keyword (Latin-1, 1 to 79 bytes) and its
// text.
struct PngTextChunk {
    std::string_view keyword;
    std::string_view text;
};
// The same with any text chunks, in their order.
void EncodePng(const Bitmap& picture, ByteSink& out, Resolution resolution,
               std::span<const PngTextChunk> chunks);

}  // namespace galleri
