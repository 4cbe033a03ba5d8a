#pragma once

#include <string>

#include "surface/Bitmap.h"

namespace galleri {

// Draws UTF-8 text with the toolkit's default font, black on an opaque white
// background (the canvas's default brush), its top-left corner at pixel
// (px, py), clipped to the bitmap. Needs a QGuiApplication (the offscreen
// platform serves headless programs); without one it throws std::logic_error.
void RasterText(Bitmap& picture, int px, int py, const std::string& text);

}  // namespace galleri
