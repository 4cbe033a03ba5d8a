#include "colour/PaletteFiles.h"
#include "colour/PaletteText.h"

namespace galleri {

using namespace palette_text;

namespace {

// More swatches than the gradient's table has entries would never show.
constexpr size_t kMaxGplColours = 4096;

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

}  // namespace

PaletteResult ParseGplPalette(std::string_view text, std::string_view fileName) {
    const std::vector<Line> lines = SplitLines(text);
    if (lines.empty() || Trim(lines[0].text) != "GIMP Palette") {
        return FailAt(fileName, 1, "expected the header 'GIMP Palette'");
    }
    std::string name = Stem(fileName);
    std::vector<Rgb8> colours;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string_view content = Trim(lines[i].text);
        if (content.empty() || content.front() == '#' || StartsWith(content, "Columns:")) {
            continue;
        }
        if (StartsWith(content, "Name:")) {
            name = std::string(Trim(content.substr(5)));
            continue;
        }
        const std::vector<std::string_view> words = Words(content);
        const std::optional<Rgb8> colour =
            words.size() >= 3 ? ParseRgb(words[0], words[1], words[2]) : std::nullopt;
        if (!colour) {
            return FailAt(fileName, lines[i].number,
                          "expected three numbers 0 to 255 and an optional name");
        }
        if (colours.size() == kMaxGplColours) {
            return FailAt(fileName, lines[i].number, "more than 4096 colours");
        }
        colours.push_back(*colour);
    }
    if (colours.empty()) {
        return Fail(fileName, "no colours");
    }
    return {Palette{std::move(name), EvenlySpaced(colours)}, {}};
}

}  // namespace galleri
