#pragma once

namespace galleri {

// The blend types of a GIMP gradient's segment, numbered as .ggr files
// number them.
enum class GimpBlend { kLinear = 0, kCurved, kSine, kSphereIncreasing, kSphereDecreasing, kStep };

// How far (0 to 1) a segment has gone from its left colour to its right one
// at pos, with its middle point at middle; both are fractions of the
// segment's width. The curves are GIMP's; the linear, curved and sine ones
// put the half-way colour at the middle point.
double GimpBlendFactor(GimpBlend blend, double middle, double pos);

}  // namespace galleri
