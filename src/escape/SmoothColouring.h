#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "colour/Gradient.h"
#include "colour/Palette.h"

namespace galleri {

// The smooth colouring of the figures of the plane: each escaped point's
// continuous escape count nu (SmoothCount) read through a palette's
// gradient, dithered by the pixel's place. Points that never escape are
// black, whatever the palette.
//
// It runs in two steps, because the engines compute a pixel without knowing
// where in the picture it lies: an engine hands out Value(nu), the gradient
// entry nu falls in, and the scan, which knows the place, makes the colour.
class SmoothColouring {
  public:
    // The value of a point that never escapes.
    static constexpr uint32_t kInterior = 0xFFFFFFFFu;
    static constexpr uint32_t kInteriorColour = 0x000000u;

    // Throws std::invalid_argument as Gradient does: no stops, a density not
    // above 0, an offset that is not finite.
    SmoothColouring(std::vector<Stop> stops, double density, double offset);

    // The value of nu: the gradient entry it falls in at the density and
    // offset, floor(nu / density * entries + offset * entries) modulo the
    // entries (the gradient's own Phase, without a division on the way). A
    // NaN (an orbit that never passed the radius) is the interior's; a nu
    // too large to place falls at the first entry.
    uint32_t Value(double nu) const {
        if (std::isnan(nu)) {
            return kInterior;
        }
        const double u = nu * scale_ + shift_;
        if (!(std::fabs(u) < 0x1p62)) {
            return 0;
        }
        auto whole = static_cast<int64_t>(u);  // towards 0: one too high below 0
        whole -= static_cast<double>(whole) > u ? 1 : 0;
        return static_cast<uint32_t>(whole & (Gradient::kEntries - 1));
    }

    // The colour of pixel (x, y) with that value.
    uint32_t Colour(uint32_t value, int64_t x, int64_t y) const {
        return value == kInterior ? kInteriorColour
                                  : gradient_.EntryColour(static_cast<int>(value), x, y);
    }

    // What a pixel (x, y) whose engine gave `value` shows: the value itself
    // in the figure's own colours (no smooth colouring), else its colour.
    static uint32_t Shown(const SmoothColouring* smooth, uint32_t value, int64_t x, int64_t y) {
        return smooth != nullptr ? smooth->Colour(value, x, y) : value;
    }

    // The exact sRGB levels (0 to 255, not rounded) of that value, for
    // averaging before the colour is rounded.
    std::array<float, 3> Levels(uint32_t value) const {
        return value == kInterior ? std::array<float, 3>{0, 0, 0}
                                  : gradient_.EntryLevels(static_cast<int>(value));
    }

  private:
    Gradient gradient_;
    double scale_;  // entries per iteration
    double shift_;  // the offset's entries, 0 to kEntries
};

}  // namespace galleri
