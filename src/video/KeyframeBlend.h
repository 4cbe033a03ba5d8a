#pragma once

#include "surface/Bitmap.h"
#include "view/ViewGeometry.h"

namespace galleri {

// An exact picture of a zoom video's path, and how the frame to be made
// from it compares: the frame's width (height) over the picture's.
struct Keyframe {
    const Bitmap* picture = nullptr;
    double scaleX = 1;
    double scaleY = 1;
};

// A frame between two exact pictures of a zoom about one fixed point, made
// by scaling them (the keyframes of --keyframes): from `inner`, the smaller
// view (scale 1 to 2), wherever it covers the frame, and from `outer`, the
// larger (scale 1/2 to 1), around it, the two mixed over a band of a 24th of
// the picture inside the inner's edge, so that every pixel is one scaling of
// exact pictures. `fixed` is the fixed point's picture position, the same
// in every picture of the path; a frame position x lies at
// fixed.x + (x - fixed.x) * scale in a keyframe. Each pixel is a triangle
// filter of the keyframe's pixels as wide as the frame's pixel there (at
// least one pixel: bilinear where the frame is the finer). The result does
// not depend on `threads` (0: one per core).
Bitmap BlendKeyframes(const Keyframe& outer, const Keyframe& inner, PicturePoint fixed,
                      int threads = 0);

}  // namespace galleri
