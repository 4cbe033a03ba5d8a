#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "surface/Bitmap.h"
#include "surface/ByteSink.h"
#include "surface/SaveError.h"

namespace galleri {

enum class PictureFormat { Jpeg, Png, Bmp };

// The format a file name asks for: .jpg and .jpeg (any case) give JPEG, .png
// (any case) PNG, every other name the bitmap format. Only the extension of
// the file name counts, not dots in folder names.
PictureFormat FormatForName(const std::string& path);

// Why a file of this format cannot hold a picture of this size (a JPEG side
// over 65500 pixels, a bitmap file over 2 GB); empty when it can. Lets a
// caller refuse before drawing what could never be saved.
std::string FormatLimit(PictureFormat format, int width, int height);

// Writes the picture to path (used byte for byte) in the format its name
// asks for, straight from the picture's colours without a second copy of it.
// A non-empty text is saved with the picture: in a PNG a text chunk with the
// keyword "Galleri", in a JPEG a comment; a bitmap file has no place for it.
// The write is atomic: a temporary file in the target's folder is renamed
// over the target, so a failed save never harms an existing file. Throws
// SaveError; std::bad_alloc passes through. PNG and bitmap files record the
// resolution the toolkit gives a new picture, or `resolution` when given.
void SavePicture(const Bitmap& picture, const std::string& path, std::string_view text = {},
                 std::optional<Resolution> resolution = {});

}  // namespace galleri
