#include "colour/PaletteText.h"

#include <charconv>
#include <cmath>
#include <filesystem>

#include "surface/QuoteForMessage.h"

namespace galleri::palette_text {

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    int number = 1;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back({line, number++});
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return lines;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsSpace(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::vector<std::string_view> Words(std::string_view s) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && IsSpace(s[i])) {
            ++i;
        }
        const size_t start = i;
        while (i < s.size() && !IsSpace(s[i])) {
            ++i;
        }
        if (i > start) {
            words.push_back(s.substr(start, i - start));
        }
    }
    return words;
}

std::optional<long long> ParseInteger(std::string_view word) {
    long long value = 0;
    const char* end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, value);
    if (word.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseNumber(std::string_view word) {
    double value = 0.0;
    const char* end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, value, std::chars_format::general);
    if (word.empty() || ec != std::errc() || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<Rgb8> ParseRgb(std::string_view r, std::string_view g, std::string_view b) {
    uint8_t channel[3];
    const std::string_view words[3] = {r, g, b};
    for (int i = 0; i < 3; ++i) {
        const std::optional<long long> v = ParseInteger(words[i]);
        if (!v || *v < 0 || *v > 255) {
            return std::nullopt;
        }
        channel[i] = static_cast<uint8_t>(*v);
    }
    return Rgb8{channel[0], channel[1], channel[2]};
}

std::string QuoteWord(std::string_view word) {
    return QuoteForMessage(word, 40);
}

std::string Stem(std::string_view fileName) {
    return std::filesystem::path(fileName).stem().string();
}

PaletteResult FailAt(std::string_view fileName, int line, std::string_view message) {
    return {std::nullopt, "palette " + QuoteForMessage(fileName) + " line " + std::to_string(line) +
                              ": " + std::string(message)};
}

PaletteResult Fail(std::string_view fileName, std::string_view message) {
    return {std::nullopt, "palette " + QuoteForMessage(fileName) + ": " + std::string(message)};
}

std::vector<Stop> EvenlySpaced(const std::vector<Rgb8>& colours) {
    std::vector<Stop> stops;
    stops.reserve(colours.size());
    for (size_t i = 0; i < colours.size(); ++i) {
        stops.push_back({static_cast<double>(i) / static_cast<double>(colours.size()), colours[i]});
    }
    return stops;
}

}  // namespace galleri::palette_text
