#include "geometry/SegmentSink.h"

#include "surface/Pen.h"

namespace galleri {

SegmentSink PenLines(Surface& surface) {
    return [&surface](int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
        DrawLine(surface, x1, y1, x2, y2, colour);
    };
}

}  // namespace galleri
