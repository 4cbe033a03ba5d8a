#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "deep/BigFloat.h"
#include "view/DeepView.h"

namespace galleri {

// A deep-zoom location as Kalles Fraktaler's .kfr files and the programs
// that share them hold it: the picture's centre and its zoom, 2/zoom being
// half the picture's height.
struct Location {
    BigFloat re, im, zoom;
    std::optional<int64_t> iterations;
    // KF's "ImagPointsUp". Without it KF draws the imaginary axis pointing
    // down, and so does LocationView; a location taken from a view of this
    // program, whose axis points up, sets it.
    bool imagPointsUp = false;
};

// Reads a location file: lines "Key: value", LF or CRLF, blank lines
// allowed, keys as KF writes them (case counts), keys it does not need
// ignored. "Re", "Im" and "Zoom" are needed, "Iterations" is optional; a
// file whose "FractalType", "Power", "UseHybridFormula", "SeedR" or "SeedI"
// make another formula than z^2 + c from 0 is refused. A malformed file
// gives a one-line `error` naming the line and no location.
struct ParsedLocation {
    std::optional<Location> location;
    std::string error;
};
ParsedLocation ParseLocation(std::string_view text);

// The view of a picture of width x height pixels (both at least 1) drawn at
// the location as KF draws it: the real axis across the width, half the
// height 2/zoom about the centre, square pixels, the imaginary axis
// pointing down unless imagPointsUp. The four edges share one precision,
// enough for the centre's digits and for the depth.
DeepRect LocationView(const Location& location, int width, int height);

// The location as a file ParseLocation reads back to the same numbers and
// KF reads too: Re, Im, Zoom, then Iterations and ImagPointsUp when set,
// CRLF line ends as KF writes them.
std::string FormatLocation(const Location& location);

}  // namespace galleri
