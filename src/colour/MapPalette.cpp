#include "colour/PaletteFiles.h"
#include "colour/PaletteText.h"

namespace galleri {

using namespace palette_text;

namespace {

// Fractint's colour table has 256 entries.
constexpr size_t kMaxMapColours = 256;

}  // namespace

PaletteResult ParseMapPalette(std::string_view text, std::string_view fileName) {
    std::vector<Rgb8> colours;
    for (const Line& line : SplitLines(text)) {
        const std::vector<std::string_view> words = Words(line.text);
        if (words.empty()) {
            continue;
        }
        const std::optional<Rgb8> colour =
            words.size() >= 3 ? ParseRgb(words[0], words[1], words[2]) : std::nullopt;
        if (!colour) {
            return FailAt(fileName, line.number, "expected three numbers 0 to 255");
        }
        if (colours.size() == kMaxMapColours) {
            return FailAt(fileName, line.number, "more than 256 colours");
        }
        colours.push_back(*colour);
    }
    if (colours.empty()) {
        return Fail(fileName, "no colours");
    }
    return {Palette{Stem(fileName), EvenlySpaced(colours)}, {}};
}

}  // namespace galleri
