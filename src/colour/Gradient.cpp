#include "colour/Gradient.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "colour/ColourSpace.h"
#include "colour/OrderedDither.h"

namespace galleri {

namespace {

Oklab ToOklab(Rgb8 c) {
    return LinearToOklab(
        {SrgbToLinear(c.r / 255.0), SrgbToLinear(c.g / 255.0), SrgbToLinear(c.b / 255.0)});
}

float ToLevel(double linear) {
    const double encoded = std::clamp(LinearToSrgb(linear), 0.0, 1.0);
    return static_cast<float>(encoded * 255.0);
}

struct LabStop {
    double position;
    Oklab lab;
};

// The colour at t in [0, 1) of the looped palette: past the last stop it
// blends into the first, as if that one came again at position + 1.
std::array<float, 3> Sample(const std::vector<LabStop>& stops, double t) {
    const auto after = std::upper_bound(stops.begin(), stops.end(), t,
                                        [](double v, const LabStop& s) { return v < s.position; });
    LabStop from;
    LabStop to;
    if (after == stops.begin()) {
        from = {stops.back().position - 1.0, stops.back().lab};
        to = stops.front();
    } else if (after == stops.end()) {
        from = stops.back();
        to = {stops.front().position + 1.0, stops.front().lab};
    } else {
        from = *(after - 1);
        to = *after;
    }
    // from.position <= t < to.position, so the width is never 0 here; one
    // stop alone gives a width of 1 and its own colour.
    const double f = (t - from.position) / (to.position - from.position);
    const Oklab lab{from.lab.L + (to.lab.L - from.lab.L) * f,
                    from.lab.a + (to.lab.a - from.lab.a) * f,
                    from.lab.b + (to.lab.b - from.lab.b) * f};
    const LinearRgb rgb = OklabToLinear(lab);
    return {ToLevel(rgb.r), ToLevel(rgb.g), ToLevel(rgb.b)};
}

// A level (0 to 255) and a threshold (0 to 1) are never negative, so the
// conversion's truncation is the floor.
uint8_t Dithered(float level, double threshold) {
    return static_cast<uint8_t>(std::min(static_cast<int>(level + threshold), 255));
}

}  // namespace

Gradient::Gradient(std::vector<Stop> stops, double density, double offset)
    : density_(density), offset_(offset) {
    if (stops.empty()) {
        throw std::invalid_argument("a gradient needs at least one stop");
    }
    if (!(density > 0.0) || !std::isfinite(density)) {
        throw std::invalid_argument("a gradient's density must be a number above 0");
    }
    if (!std::isfinite(offset)) {
        throw std::invalid_argument("a gradient's offset must be a number");
    }
    std::stable_sort(stops.begin(), stops.end(),
                     [](const Stop& a, const Stop& b) { return a.position < b.position; });
    std::vector<LabStop> lab;
    lab.reserve(stops.size());
    for (const Stop& s : stops) {
        if (!(s.position >= 0.0 && s.position <= 1.0)) {
            throw std::invalid_argument("a stop's position must be 0 to 1");
        }
        lab.push_back({s.position, ToOklab(s.colour)});
    }
    table_.reserve(kEntries);
    for (int i = 0; i < kEntries; ++i) {
        table_.push_back(Sample(lab, static_cast<double>(i) / kEntries));
    }
}

double Gradient::Phase(double nu) const {
    const double t = nu / density_ + offset_;
    if (!std::isfinite(t)) {
        return 0.0;
    }
    const double phase = t - std::floor(t);
    // A tiny negative t rounds up to exactly 1.
    return phase < 1.0 ? phase : 0.0;
}

int Gradient::Entry(double nu) const {
    return std::min(static_cast<int>(Phase(nu) * kEntries), kEntries - 1);
}

std::array<float, 3> Gradient::Levels(double nu) const {
    return table_[Entry(nu)];
}

uint32_t Gradient::Colour(double nu, int64_t x, int64_t y) const {
    return EntryColour(Entry(nu), x, y);
}

const std::array<float, 3>& Gradient::EntryLevels(int entry) const {
    return table_[std::clamp(entry, 0, kEntries - 1)];
}

uint32_t Gradient::EntryColour(int entry, int64_t x, int64_t y) const {
    const std::array<float, 3>& level = table_[std::clamp(entry, 0, kEntries - 1)];
    const double threshold = OrderedDitherThreshold(x, y);
    return PackColour({Dithered(level[0], threshold), Dithered(level[1], threshold),
                       Dithered(level[2], threshold)});
}

}  // namespace galleri
