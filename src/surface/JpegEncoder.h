#pragma once

#include <string>
#include <vector>

#include "surface/Bitmap.h"

namespace galleri {

// Encodes the picture as a baseline JPEG of quality 90 with three colour
// components, rows from top to bottom. Returns false and fills `reason` with
// libjpeg's message when the encoder fails (for example a side over 65500).
bool EncodeJpeg(const Bitmap& picture, std::vector<unsigned char>& out, std::string& reason);

}  // namespace galleri
