#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "colour/Palette.h"
#include "colour/PaletteFiles.h"

// What the palette readers share: lines, words, numbers and the wording of
// their errors.
namespace galleri::palette_text {

struct Line {
    std::string_view text;  // without its end of line
    int number;             // from 1
};

// The text's lines; "\r\n" ends a line like "\n", a final end of line
// starts no empty line after it, and a UTF-8 byte order mark is dropped.
std::vector<Line> SplitLines(std::string_view text);

bool IsSpace(char c);
std::string_view Trim(std::string_view s);
std::vector<std::string_view> Words(std::string_view s);

// The whole word as a decimal integer or a finite number, else nullopt.
std::optional<long long> ParseInteger(std::string_view word);
std::optional<double> ParseNumber(std::string_view word);

// Three words that are integers 0 to 255.
std::optional<Rgb8> ParseRgb(std::string_view r, std::string_view g, std::string_view b);

// A word of the file as an error shows it: quoted, escaped, cut when long.
std::string QuoteWord(std::string_view word);

// The file's name without folder and extension, for a palette the file does
// not name.
std::string Stem(std::string_view fileName);

PaletteResult FailAt(std::string_view fileName, int line, std::string_view message);
PaletteResult Fail(std::string_view fileName, std::string_view message);

// A colour list made into a loop of stops: colour i of n at i / n.
std::vector<Stop> EvenlySpaced(const std::vector<Rgb8>& colours);

}  // namespace galleri::palette_text
