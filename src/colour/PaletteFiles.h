#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "colour/Palette.h"

namespace galleri {

// A palette read from a file, or the one line that says why not, naming the
// file and, where one line is at fault, that line:
// "palette 'x.map' line 3: expected three numbers 0 to 255".
struct PaletteResult {
    std::optional<Palette> palette;
    std::string error;

    explicit operator bool() const { return palette.has_value(); }
};

// Each reader takes the file's text and its name, which the errors show and
// which names the palette when the file does not.

// Fractint .map: "R G B" a line, 0 to 255, anything after the three numbers a
// comment; blank lines skipped; up to 256 colours, evenly spaced.
PaletteResult ParseMapPalette(std::string_view text, std::string_view fileName);

// GIMP .gpl: the "GIMP Palette" header, optional "Name:" and "Columns:"
// lines, "#" comments, then "R G B [name]" lines; evenly spaced.
PaletteResult ParseGplPalette(std::string_view text, std::string_view fileName);

// GIMP .ggr: the "GIMP Gradient" header, an optional "Name:" line, the number
// of segments, then one segment a line. Every blend type; RGB colours only.
PaletteResult ParseGgrPalette(std::string_view text, std::string_view fileName);

// Ultra Fractal .ugr: "name { gradient: title=... index=N color=BGR ... }"
// entries; the first, or the one whose name is given.
PaletteResult ParseUgrPalette(std::string_view text, std::string_view fileName,
                              std::optional<std::string_view> gradientName = std::nullopt);

// The largest palette file LoadPalette reads.
inline constexpr size_t kMaxPaletteFileBytes = 4u << 20;

// Reads the file and parses it by its extension (.map, .gpl, .ggr, .ugr, in
// any case). The name picks a gradient in a .ugr file; the other kinds hold
// one palette and take no name.
PaletteResult LoadPalette(const std::string& path,
                          std::optional<std::string_view> gradientName = std::nullopt);

}  // namespace galleri
