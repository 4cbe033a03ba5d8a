#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace galleri {

// An 8-bit sRGB colour as palette files and the built-in palettes give it.
struct Rgb8 {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;

    friend bool operator==(const Rgb8&, const Rgb8&) = default;
};

// The program's colour value: red in the lowest byte, then green, then blue
// (0x00BBGGRR), as Bitmap stores pixels.
inline uint32_t PackColour(Rgb8 c) {
    return static_cast<uint32_t>(c.r) | (static_cast<uint32_t>(c.g) << 8) |
           (static_cast<uint32_t>(c.b) << 16);
}

inline Rgb8 UnpackColour(uint32_t value) {
    return {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>((value >> 8) & 0xFF),
            static_cast<uint8_t>((value >> 16) & 0xFF)};
}

// A colour at a place in the palette, 0 at its start and 1 at its end. Two
// stops at one place make a hard edge.
struct Stop {
    double position = 0.0;
    Rgb8 colour;

    friend bool operator==(const Stop&, const Stop&) = default;
};

// A named list of stops in increasing position. The palette is a loop: after
// the last stop it blends back into the first.
struct Palette {
    std::string name;
    std::vector<Stop> stops;
};

}  // namespace galleri
