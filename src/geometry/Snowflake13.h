#pragma once

#include <cstdint>

#include "geometry/SegmentSink.h"

namespace galleri {

class Surface;

// The thirteen-segment snowflake curve over the base from (-125, 0) to
// (125, 0): generations 1 to 3 drawn one over the other, in colour 240.
void DrawSnowflake13(Surface& surface);
void DrawSnowflake13(Surface& surface, const SegmentSink& draw);

// One segment from (x1, y1) to (x2, y2) replaced by the 13-segment generator
// depth times over. The orientation s (+1 or -1) says to which side the bumps
// turn; flip 1 negates it on entry.
void Snowflake13Side(Surface& surface, double x1, double y1, double x2, double y2, int32_t depth,
                     int32_t flip, int32_t s, const SegmentSink& draw);

}  // namespace galleri
