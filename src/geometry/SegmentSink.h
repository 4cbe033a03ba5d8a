#pragma once

#include <cstdint>
#include <functional>

namespace galleri {

class Surface;

// Where the line figures send their finest segments, in integer logical
// coordinates with a colour. The renderers draw them with DrawLine; tests
// can collect them instead and check the construction point by point.
using SegmentSink =
    std::function<void(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour)>;

// The sink that draws every segment into the surface with DrawLine and the
// surface's current pen.
SegmentSink PenLines(Surface& surface);

}  // namespace galleri
