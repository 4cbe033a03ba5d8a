#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "colour/Palette.h"

namespace galleri {

// A palette sampled into a table for drawing: the stops blended in OKLab,
// looked up by a continuous value nu (a smooth iteration count) with the
// density (iterations per pass through the palette) and the offset (where in
// the palette nu = 0 falls, 0 to 1).
class Gradient {
  public:
    static constexpr int kEntries = 4096;

    // Sorts the stops by position. Throws std::invalid_argument for no stops,
    // a position outside 0..1, a density that is not above 0 or an offset
    // that is not finite.
    explicit Gradient(std::vector<Stop> stops, double density = 1.0, double offset = 0.0);

    // Where nu falls in the palette: frac(nu / density + offset), in [0, 1).
    // A nu that is not finite falls at 0.
    double Phase(double nu) const;

    // The exact sRGB levels (0 to 255 per channel, not rounded) of the table
    // entry that nu falls in.
    std::array<float, 3> Levels(double nu) const;

    // The 8-bit colour of pixel (x, y) at nu, 0x00BBGGRR, rounded by ordered
    // dither: the same arguments give the same colour on every run.
    uint32_t Colour(double nu, int64_t x, int64_t y) const;

    // The same in two steps, for a drawing that finds nu before it knows
    // the pixel's place: the table entry nu falls in (0 to kEntries - 1),
    // then that entry's colour at pixel (x, y).
    int Entry(double nu) const;
    uint32_t EntryColour(int entry, int64_t x, int64_t y) const;
    // The exact sRGB levels (0 to 255, not rounded) of an entry.
    const std::array<float, 3>& EntryLevels(int entry) const;

  private:
    double density_;
    double offset_;
    std::vector<std::array<float, 3>> table_;
};

}  // namespace galleri
