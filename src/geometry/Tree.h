#pragma once

#include <cstdint>

#include "geometry/SegmentSink.h"

namespace galleri {

class Surface;

// A binary tree: a trunk 12 thick and twelve generations of branches 30 long,
// each forking into a left child turned 12 degrees and a right child turned
// 9 degrees, thinning by 2^(-1/1.1) to the left and 2^(-1/0.9) to the right.
void DrawTree(Surface& surface);
void DrawTree(Surface& surface, const SegmentSink& draw);

// One branch from (x, y) along TurtleHeading, which the caller sets, and its
// subtree: depth generations including this branch. PenWidth becomes the
// branch's thickness truncated towards zero.
void TreeBranch(Surface& surface, double x, double y, double thickness, int32_t depth,
                const SegmentSink& draw);

}  // namespace galleri
