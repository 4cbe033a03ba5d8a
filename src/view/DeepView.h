#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "deep/BigFloat.h"
#include "escape/EscapeScan.h"

namespace galleri {

// A view as PlaneRect holds it, in arbitrary precision for zooms past a
// double: the real parts at the picture's left and right edges, the
// imaginary parts at its bottom and top edges. Mirrored views (right < left,
// top < bottom) are allowed.
struct DeepRect {
    BigFloat left, right, bottom, top;
};

// The most bits a deep view or location may need. Past this a number takes
// seconds to print, and a short text could ask for gigabytes.
inline constexpr long kMaxDeepBits = 1L << 20;

// Reads a decimal in BigFloat::Parse's form, its exponent of any length
// ("1e-0000000000005"), at `bits` bits. nullopt when it is not such a
// decimal; then `outOfRange` tells whether it was one whose exponent no
// BigFloat holds ("1e99999999999"), rather than no number at all.
std::optional<BigFloat> ReadDecimal(std::string_view text, long bits, bool& outOfRange);

// 64 bits more than the largest edge's exponent above the exponent of the
// view's narrower side: the bits that keep the view's points apart.
long ShapeBits(const DeepRect& view);

// Reads LEFT,RIGHT,BOTTOM,TOP. Whatever ParseView reads this reads too, and
// what it refuses this refuses in the same words, except that numbers may
// have any number of digits and any exponent a BigFloat holds. The four
// edges share one precision: enough for the longest number's digits and at
// least ShapeBits.
struct ParsedDeepView {
    std::optional<DeepRect> view;
    std::string error;
};
ParsedDeepView ParseDeepView(std::string_view text);

// The shortest decimal that reads back to `value` at its precision, laid out
// as std::to_chars lays out a double ("1e-05", "2e+22", "0.1"). A 53-bit
// number that is a double prints exactly as FormatView prints that double,
// which reads back to the same double.
std::string FormatDeepNumber(const BigFloat& value);

// LEFT,RIGHT,BOTTOM,TOP in FormatDeepNumber's form: the text FormatView
// gives when the four numbers are 53-bit doubles, and ParseDeepView reads it
// back.
std::string FormatDeepView(const DeepRect& view);

// The view exactly, at 53 bits.
DeepRect ToDeepRect(const PlaneRect& view);
// The view as doubles, only when all four numbers are exactly doubles.
std::optional<PlaneRect> ToPlaneRect(const DeepRect& view);

}  // namespace galleri
