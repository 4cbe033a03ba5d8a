#pragma once

#include <cstdint>

#include "geometry/SegmentSink.h"

namespace galleri {

class Surface;

// The Koch snowflake on a fixed triangle: generations 1 to 5 drawn one over
// the other, 2 pixels thick, in colour 15.
void DrawKochSnowflake(Surface& surface);
void DrawKochSnowflake(Surface& surface, const SegmentSink& draw);

// One side from (x1, y1) to (x2, y2) with its bump on the left: depth 1 gives
// four segments, each further depth replaces every segment by four.
void KochSide(Surface& surface, double x1, double y1, double x2, double y2, int32_t depth,
              const SegmentSink& draw);

}  // namespace galleri
