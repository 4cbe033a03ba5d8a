#pragma once

#include <string>

namespace galleri {

// The smooth colouring's defaults.
inline constexpr const char* kDefaultPalette = "classic";
inline constexpr double kDefaultDensity = 20.0;
inline constexpr double kDefaultOffset = 0.0;
inline constexpr int kMaxSupersample = 8;

// The colouring chosen for a figure of the plane, as galleri-render's
// options give it and a picture's text records it.
struct ColouringChoice {
    bool smooth = false;  // false: the figure's own colours
    // A built-in palette's name, or a palette file as given on the command
    // line (FILE.ugr:NAME for one gradient of a .ugr file).
    std::string palette = kDefaultPalette;
    // A palette file's checksum (PaletteChecksumText of its stops); empty
    // for a built-in palette.
    std::string checksum;
    double density = kDefaultDensity;
    double offset = kDefaultOffset;
    // Samples a pixel each way (1 to kMaxSupersample), averaged in linear
    // light: with more than one the colours are the samples' mean, in
    // either colouring.
    int supersample = 1;

    friend bool operator==(const ColouringChoice&, const ColouringChoice&) = default;
};

// The galleri-render arguments that choose it again, each only where it
// differs from the default: nothing for the figure's own colours, else
// "--colouring smooth", then "--palette P" and, for a file,
// "--palette-checksum H", "--density D" and "--offset O", the numbers in the
// shortest form that reads back the same; and "--supersample N" for more
// than one sample a pixel, in either colouring. A palette file's name is quoted
// where a shell would split or change it (QuoteArgument).
std::string ColouringArguments(const ColouringChoice& choice);

}  // namespace galleri
