#include "commands/VideoOptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "surface/QuoteForMessage.h"

namespace galleri {

namespace {

std::string Quote(std::string_view s) {
    return QuoteForMessage(s, 60);
}

// A whole number of 0 to 10^15 written with digits only.
std::optional<int64_t> ParseCount(std::string_view s) {
    if (s.empty() || s.size() > 15 ||
        !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    int64_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size()) {
        return std::nullopt;
    }
    return v;
}

// A plain decimal: digits with at most one point, nothing else.
std::optional<double> ParseDecimal(std::string_view s) {
    if (s.empty() || s.size() > 20 || s == "." ||
        !std::all_of(s.begin(), s.end(),
                     [](char c) { return (c >= '0' && c <= '9') || c == '.'; }) ||
        std::count(s.begin(), s.end(), '.') > 1) {
        return std::nullopt;
    }
    return std::strtod(std::string(s).c_str(), nullptr);
}

}  // namespace

std::string ApplyVideoFile(VideoOptions& o, std::string_view value) {
    if (value.empty()) {
        return "the video file name is empty";
    }
    o.file = std::string(value);
    return {};
}

std::string ApplyVideoTo(VideoOptions& o, std::string_view value) {
    o.to = std::string(value);
    return {};
}

std::string ApplyVideoFrom(VideoOptions& o, std::string_view value) {
    o.from = std::string(value);
    return {};
}

std::string ApplyVideoSeconds(VideoOptions& o, std::string_view value) {
    const std::optional<double> s = ParseDecimal(value);
    if (!s || !(*s > 0) || *s > kMaxVideoSeconds) {
        return "bad length " + Quote(value) +
               ": expected a number of seconds above 0 and at most " +
               std::to_string(static_cast<int>(kMaxVideoSeconds));
    }
    o.seconds = *s;
    return {};
}

std::string ApplyVideoFps(VideoOptions& o, std::string_view value) {
    const std::optional<int64_t> n = ParseCount(value);
    if (!n || *n < 1 || *n > kMaxFps) {
        return "bad frame rate " + Quote(value) + ": expected a whole number of frames a second " +
               "from 1 to " + std::to_string(kMaxFps);
    }
    o.fps = static_cast<int>(*n);
    return {};
}

std::string ApplyVideoCrf(VideoOptions& o, std::string_view value) {
    const std::optional<int64_t> n = ParseCount(value);
    if (!n || *n > 63) {
        return "bad quality " + Quote(value) +
               ": expected a whole number from 0 (best) to 51 for .mp4, to 63 for .webm";
    }
    o.crf = static_cast<int>(*n);
    return {};
}

std::string ApplyVideoFrames(VideoOptions& o, std::string_view value) {
    const size_t dash = value.find('-');
    const std::optional<int64_t> a = ParseCount(value.substr(0, dash));
    const std::optional<int64_t> b =
        dash == std::string_view::npos ? a : ParseCount(value.substr(dash + 1));
    if (!a || !b || *b < *a) {
        return "bad frames " + Quote(value) +
               ": expected FIRST-LAST, whole numbers from 0 with FIRST <= LAST, such as 0-99";
    }
    o.firstFrame = *a;
    o.lastFrame = *b;
    return {};
}

std::string ApplyVideoFromFrames(VideoOptions& o, std::string_view value) {
    if (value.empty()) {
        return "the folder of frames is empty";
    }
    o.fromFrames = std::string(value);
    return {};
}

}  // namespace galleri
