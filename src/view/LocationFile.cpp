#include "view/LocationFile.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <system_error>

namespace galleri {

namespace {

// The keys read; every other key is ignored.
enum Key {
    kRe,
    kIm,
    kZoom,
    kIterations,
    kFractalType,
    kPower,
    kHybrid,
    kSeedR,
    kSeedI,
    kUp,
    kKeys
};
constexpr std::array<std::string_view, kKeys> kKeyNames = {
    "Re",    "Im",    "Zoom",        "Iterations", "FractalType", "Power", "UseHybridFormula",
    "SeedR", "SeedI", "ImagPointsUp"};

// Bits a centre of this size needs at this zoom, `sizeBits` being the bit
// widths of the picture's sides together.
long DepthBits(const BigFloat& re, const BigFloat& im, const BigFloat& zoom, long sizeBits) {
    const long centre = std::max({0L, re.Exponent(), im.Exponent()});
    return centre + std::max(0L, zoom.Exponent()) + 66 + sizeBits;
}

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<int64_t> ReadWhole(std::string_view text) {
    int64_t value = 0;
    const char* end = text.data() + text.size();
    const std::from_chars_result r = std::from_chars(text.data(), end, value);
    if (text.empty() || r.ec != std::errc() || r.ptr != end) {
        return std::nullopt;
    }
    return value;
}

std::string NotMandelbrot(std::string_view key, std::string_view value) {
    std::string error = "the formula is not the Mandelbrot set z^2 + c (";
    error.append(key);
    error += ' ';
    error.append(value);
    error += ')';
    return error;
}

}  // namespace

ParsedLocation ParseLocation(std::string_view text) {
    ParsedLocation parsed;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);  // a byte-order mark, as Windows editors write
    }
    std::array<int, kKeys> lines{};
    std::optional<BigFloat> numbers[3];
    std::optional<int64_t> iterations;
    std::string formula;  // why the formula is not z^2 + c, when it is not
    bool up = false;
    int line = 0;
    while (!text.empty()) {
        ++line;
        const size_t end = text.find('\n');
        std::string_view row = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!row.empty() && row.back() == '\r') {
            row.remove_suffix(1);
        }
        if (Trim(row).empty()) {
            continue;
        }
        const std::string at = "line " + std::to_string(line) + ": ";
        const size_t colon = row.find(':');
        if (colon == std::string_view::npos) {
            parsed.error = at + "expected 'Key: value'";
            return parsed;
        }
        const std::string_view name = Trim(row.substr(0, colon));
        const std::string_view value = Trim(row.substr(colon + 1));
        const auto known = std::find(kKeyNames.begin(), kKeyNames.end(), name);
        if (known == kKeyNames.end()) {
            continue;
        }
        const int key = static_cast<int>(known - kKeyNames.begin());
        std::string quoted(1, '\'');
        quoted.append(name);
        quoted.push_back('\'');
        if (lines[key] != 0) {
            parsed.error = at + "a second " + quoted + " line";
            return parsed;
        }
        lines[key] = line;
        switch (key) {
            case kRe:
            case kIm:
            case kZoom: {
                const long bits = BigFloat::BitsForDecimal(value);
                if (bits > kMaxDeepBits) {
                    parsed.error = at + quoted + " has too many digits";
                    return parsed;
                }
                bool outOfRange = false;
                numbers[key] = ReadDecimal(value, bits, outOfRange);
                if (!numbers[key]) {
                    parsed.error =
                        at + quoted + (outOfRange ? " is out of range" : " is not a number");
                    return parsed;
                }
                if (key == kZoom && numbers[key]->Sign() <= 0) {
                    parsed.error = at + quoted + " is not positive";
                    return parsed;
                }
                break;
            }
            case kIterations:
                iterations = ReadWhole(value);
                if (!iterations || *iterations < 1 || *iterations > INT32_MAX) {
                    parsed.error = at + quoted + " is not a whole number from 1 to 2147483647";
                    return parsed;
                }
                break;
            case kFractalType:
            case kPower: {
                const std::optional<int64_t> number = ReadWhole(value);
                if (!number) {
                    parsed.error = at + quoted + " is not a whole number";
                    return parsed;
                }
                // KF's formula groups: type 0 is the Mandelbrot set, Power its exponent.
                if (formula.empty() && *number != (key == kFractalType ? 0 : 2)) {
                    formula = NotMandelbrot(name, value);
                }
                break;
            }
            case kHybrid:
                // KF reads it as a number, any but 0 turning its hybrid formula on.
                if (formula.empty() && value != "0" && value != "false" && !value.empty()) {
                    formula = NotMandelbrot(name, value);
                }
                break;
            case kSeedR:
            case kSeedI: {
                // KF starts the orbit at SeedR + i SeedI instead of 0.
                bool outOfRange = false;
                const std::optional<BigFloat> seed = ReadDecimal(value, 64, outOfRange);
                if (!seed) {
                    parsed.error = at + quoted + " is not a number";
                    return parsed;
                }
                if (formula.empty() && !seed->IsZero()) {
                    formula = NotMandelbrot(name, value);
                }
                break;
            }
            case kUp: {
                const std::optional<int64_t> number = ReadWhole(value);
                if (!number && value != "true" && value != "false") {
                    parsed.error = at + quoted + " is not 0 or 1";
                    return parsed;
                }
                up = number ? *number != 0 : value == "true";
                break;
            }
        }
    }
    if (!formula.empty()) {
        parsed.error = formula;
        return parsed;
    }
    for (const int key : {kRe, kIm, kZoom}) {
        if (!numbers[key]) {
            parsed.error = "no '" + std::string(kKeyNames[key]) + "' line";
            return parsed;
        }
    }
    if (DepthBits(*numbers[kRe], *numbers[kIm], *numbers[kZoom], 62) > kMaxDeepBits) {
        parsed.error = "line " + std::to_string(lines[kZoom]) +
                       ": 'Zoom' is deeper than this program can draw";
        return parsed;
    }
    parsed.location = Location{std::move(*numbers[kRe]), std::move(*numbers[kIm]),
                               std::move(*numbers[kZoom]), iterations, up};
    return parsed;
}

DeepRect LocationView(const Location& location, int width, int height) {
    const unsigned w = static_cast<unsigned>(std::max(width, 1));
    const unsigned h = static_cast<unsigned>(std::max(height, 1));
    long bits =
        std::max({location.re.Precision(), location.im.Precision(), location.zoom.Precision(),
                  DepthBits(location.re, location.im, location.zoom,
                            std::bit_width(w) + std::bit_width(h))});
    for (;;) {
        const BigFloat halfHeight = BigFloat(2.0, bits) / location.zoom;
        const BigFloat halfWidth = halfHeight * BigFloat(w, bits) / BigFloat(h, bits);
        const BigFloat re = location.re.WithPrecision(bits);
        const BigFloat im = location.im.WithPrecision(bits);
        BigFloat up = im + halfHeight;
        BigFloat down = im - halfHeight;
        DeepRect view{re - halfWidth, re + halfWidth, location.imagPointsUp ? down : up,
                      location.imagPointsUp ? up : down};
        // DepthBits is meant to cover the shape; the check keeps that true
        // without chasing a view no precision can hold.
        const long shape = ShapeBits(view);
        if (shape <= bits || shape > kMaxDeepBits) {
            return view;
        }
        bits = shape;
    }
}

std::string FormatLocation(const Location& location) {
    std::string text = "Re: " + location.re.ToString() + "\r\n";
    text += "Im: " + location.im.ToString() + "\r\n";
    text += "Zoom: " + location.zoom.ToString() + "\r\n";
    if (location.iterations) {
        text += "Iterations: " + std::to_string(*location.iterations) + "\r\n";
    }
    if (location.imagPointsUp) {
        text += "ImagPointsUp: 1\r\n";
    }
    return text;
}

}  // namespace galleri
