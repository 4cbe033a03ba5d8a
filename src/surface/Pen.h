#pragma once

#include <cstdint>
#include <string>

#include "surface/Surface.h"

namespace galleri {

// The pen primitives. All take logical coordinates (origin near the centre,
// y upwards, a y unit 93/128 of a pixel) and read the pen state of the
// surface: PenWidth, LinePattern and PatternBit.

// Thick dashed line from (x1, y1) to (x2, y2): the first end point is not set,
// the last one is. The horizontal centre is W div 2. Each step whose bit of
// LinePattern is set draws a span of 2 * (PenWidth div 2) + 1 pixels across
// the line; PatternBit walks down one bit per step and carries over to the
// next line. The mapped end points, their differences, the error term and the
// walking point are signed 16-bit values (RangeError outside). Pixels beyond
// the picture are clipped; the colour goes to the canvas unchecked.
void DrawLine(Surface& surface, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);

// Ellipse by the midpoint method centred at (x, y): horizontal semi-axis
// Trunc((r - PenWidth div 2) / ratio) pixels, vertical one the scaled
// r - PenWidth div 2. Draws PenWidth rings, each one pixel taller than the
// last, and nothing for PenWidth < 1. The centre column is (W + 1) div 2 + x.
// Pixels left of or above the picture are a RangeError, pixels right of or
// below it are clipped; a colour above 0x7FFFFFFF is a RangeError.
void DrawEllipse(Surface& surface, int32_t x, int32_t y, int32_t r, uint32_t colour, double ratio);

// Text in the platform's default font with its top-left corner at logical
// (x, y); the horizontal centre is W div 2. Clipped to the picture.
void TextAt(Surface& surface, int32_t x, int32_t y, const std::string& text);

}  // namespace galleri
