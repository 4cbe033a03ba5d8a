#include <algorithm>
#include <cmath>

#include "colour/GimpSegmentBlend.h"
#include "colour/PaletteFiles.h"
#include "colour/PaletteText.h"

namespace galleri {

using namespace palette_text;

namespace {

constexpr long long kMaxSegments = 1000;
// Stops sampled across a segment: enough that the blend in OKLab between them
// follows GIMP's curve in RGB to within a level or two.
constexpr int kSamplesPerSegment = 16;
// GIMP writes six decimals, so a segment's left end repeats its neighbour's
// right end to that.
constexpr double kJoinTolerance = 1e-6;

struct Segment {
    double left, middle, right;
    double from[3];
    double to[3];
    GimpBlend blend;
};

Rgb8 ToRgb8(const double c[3]) {
    const auto byte = [](double v) {
        return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
    };
    return {byte(c[0]), byte(c[1]), byte(c[2])};
}

Rgb8 ColourAt(const Segment& s, double x) {
    const double width = s.right - s.left;
    // A segment too narrow to have a middle shows its half-way colour.
    const double middle = width < 1e-10 ? 0.5 : (s.middle - s.left) / width;
    const double pos = width < 1e-10 ? 0.5 : (x - s.left) / width;
    const double f = GimpBlendFactor(s.blend, middle, pos);
    const double c[3] = {s.from[0] + (s.to[0] - s.from[0]) * f,
                         s.from[1] + (s.to[1] - s.from[1]) * f,
                         s.from[2] + (s.to[2] - s.from[2]) * f};
    return ToRgb8(c);
}

void AddStop(std::vector<Stop>& stops, Stop stop) {
    if (stops.empty() || !(stops.back() == stop)) {
        stops.push_back(stop);
    }
}

void SampleSegment(const Segment& s, std::vector<Stop>& stops) {
    if (s.blend == GimpBlend::kStep) {
        // The edge falls exactly at the middle point.
        AddStop(stops, {s.left, ToRgb8(s.from)});
        AddStop(stops, {s.middle, ToRgb8(s.from)});
        AddStop(stops, {s.middle, ToRgb8(s.to)});
        AddStop(stops, {s.right, ToRgb8(s.to)});
        return;
    }
    for (int k = 0; k <= kSamplesPerSegment; ++k) {
        const double x = k == kSamplesPerSegment
                             ? s.right
                             : s.left + (s.right - s.left) * k / kSamplesPerSegment;
        AddStop(stops, {x, ColourAt(s, x)});
    }
}

// One segment line: "left middle right r0 g0 b0 a0 r1 g1 b1 a1 type colour"
// and, from GIMP 2.2 on, the two ends' colour sources, which name the
// foreground or background colour of the GIMP that drew it; the colours
// written beside them stand in here.
std::optional<std::string> ParseSegment(const std::vector<std::string_view>& words, Segment& s) {
    if (words.size() != 13 && words.size() != 15) {
        return "expected a segment: left, middle and right, two RGBA colours, the blend type and "
               "the colour type";
    }
    double v[11];
    for (int i = 0; i < 11; ++i) {
        const std::optional<double> n = ParseNumber(words[i]);
        if (!n) {
            return "expected a number 0 to 1, not " + QuoteWord(words[i]);
        }
        if (*n < 0.0 || *n > 1.0) {
            return "number " + std::string(words[i]) + " outside 0 to 1";
        }
        v[i] = *n;
    }
    std::optional<long long> ints[4];
    for (size_t i = 11; i < words.size(); ++i) {
        ints[i - 11] = ParseInteger(words[i]);
        if (!ints[i - 11]) {
            return "expected a whole number, not " + QuoteWord(words[i]);
        }
    }
    if (!(v[0] <= v[1] && v[1] <= v[2])) {
        return "the segment's middle must lie between its left and right ends";
    }
    const long long blend = *ints[0];
    const long long colourType = *ints[1];
    if (blend < 0 || blend > 5) {
        return "unknown blend type " + std::to_string(blend) + " (0 to 5)";
    }
    if (colourType == 1 || colourType == 2) {
        return "HSV segments are not supported, only RGB (colour type 0)";
    }
    if (colourType != 0) {
        return "unknown colour type " + std::to_string(colourType);
    }
    s = {v[0], v[1], v[2], {v[3], v[4], v[5]}, {v[7], v[8], v[9]}, static_cast<GimpBlend>(blend)};
    return std::nullopt;
}

}  // namespace

PaletteResult ParseGgrPalette(std::string_view text, std::string_view fileName) {
    std::vector<Line> lines = SplitLines(text);
    if (lines.empty() || Trim(lines[0].text) != "GIMP Gradient") {
        return FailAt(fileName, 1, "expected the header 'GIMP Gradient'");
    }
    std::erase_if(lines, [](const Line& l) { return Trim(l.text).empty(); });
    std::string name = Stem(fileName);
    size_t next = 1;
    if (next < lines.size() && Trim(lines[next].text).substr(0, 5) == "Name:") {
        name = std::string(Trim(Trim(lines[next].text).substr(5)));
        ++next;
    }
    if (next == lines.size()) {
        return FailAt(fileName, lines.back().number, "the file ends before the number of segments");
    }
    const Line& countLine = lines[next++];
    const std::optional<long long> count = ParseInteger(Trim(countLine.text));
    if (!count || *count < 1 || *count > kMaxSegments) {
        return FailAt(fileName, countLine.number, "expected the number of segments, 1 to 1000");
    }
    std::vector<Stop> stops;
    double end = 0.0;
    for (long long i = 0; i < *count; ++i, ++next) {
        if (next == lines.size()) {
            return FailAt(fileName, lines.back().number,
                          "the file ends after " + std::to_string(i) + " of " +
                              std::to_string(*count) + " segments");
        }
        const Line& line = lines[next];
        Segment s;
        if (const std::optional<std::string> error = ParseSegment(Words(line.text), s)) {
            return FailAt(fileName, line.number, *error);
        }
        if (std::abs(s.left - end) > kJoinTolerance) {
            return FailAt(fileName, line.number,
                          i == 0 ? "the first segment must start at 0"
                                 : "the segment must start where the one before ends");
        }
        if (i == *count - 1 && std::abs(s.right - 1.0) > kJoinTolerance) {
            return FailAt(fileName, line.number, "the last segment must end at 1");
        }
        // Within the tolerance, the segment starts exactly where the one
        // before ends, so that the stops stay in order.
        s.left = end;
        s.middle = std::max(s.middle, end);
        end = s.right;
        SampleSegment(s, stops);
    }
    if (next < lines.size()) {
        return FailAt(fileName, lines[next].number,
                      "more segments than the " + std::to_string(*count) + " the file announces");
    }
    return {Palette{std::move(name), std::move(stops)}, {}};
}

}  // namespace galleri
