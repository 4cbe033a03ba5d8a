#pragma once

namespace galleri {

class Surface;

// A curved Sierpinski triangle by random iteration: 120000 steps, each moving
// the point to the root mean square of itself and a random corner of
// (0, 0), (W, 0) and (320, H); points in pixel coordinates, red by column.
void DrawSierpinski(Surface& surface);

}  // namespace galleri
