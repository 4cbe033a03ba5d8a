#include "colour/BuiltinPalettes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "colour/ColourSpace.h"

namespace galleri {

namespace {

uint8_t ToByte(double linear) {
    const double encoded = std::clamp(LinearToSrgb(linear), 0.0, 1.0);
    return static_cast<uint8_t>(std::lround(encoded * 255.0));
}

// Twelve hues evenly round OKLab's hue circle at one lightness and chroma,
// so that no hue looks brighter than the next; the gradient blends between
// them in a straight line, which cuts the circle's corners only slightly.
std::vector<Stop> OklabHueCircle() {
    constexpr int kHues = 12;
    constexpr double kLightness = 0.75;
    constexpr double kChroma = 0.12;
    std::vector<Stop> stops;
    for (int i = 0; i < kHues; ++i) {
        const double hue = 2.0 * std::numbers::pi * i / kHues;
        const LinearRgb c =
            OklabToLinear({kLightness, kChroma * std::cos(hue), kChroma * std::sin(hue)});
        stops.push_back({static_cast<double>(i) / kHues, {ToByte(c.r), ToByte(c.g), ToByte(c.b)}});
    }
    return stops;
}

std::vector<BuiltinPalette> MakeBuiltinPalettes() {
    return {
        {{"classic",
          {{0.0, {0, 7, 100}},
           {0.16, {32, 107, 203}},
           {0.42, {237, 255, 255}},
           {0.6425, {255, 170, 0}},
           {0.8575, {0, 2, 0}}}},
         "deep blue, white, gold and black"},
        {{"fire",
          {{0.0, {0, 0, 0}},
           {0.25, {140, 16, 0}},
           {0.5, {255, 110, 0}},
           {0.75, {255, 220, 60}},
           {0.9, {255, 255, 220}}}},
         "black through red, orange and yellow to white"},
        {{"ice",
          {{0.0, {5, 10, 40}},
           {0.35, {40, 110, 190}},
           {0.7, {190, 235, 255}},
           {0.85, {255, 255, 255}}}},
         "night blue to white"},
        {{"ocean",
          {{0.0, {0, 20, 40}},
           {0.3, {0, 90, 120}},
           {0.55, {40, 170, 160}},
           {0.75, {200, 240, 220}},
           {0.9, {0, 60, 100}}}},
         "deep sea, teal and foam"},
        {{"dusk",
          {{0.0, {20, 10, 50}},
           {0.35, {120, 30, 110}},
           {0.65, {240, 100, 80}},
           {0.85, {255, 200, 120}}}},
         "violet, rose and apricot"},
        {{"grey", {{0.0, {0, 0, 0}}, {0.5, {255, 255, 255}}}}, "black to white and back"},
        {{"rainbow", OklabHueCircle()}, "every hue at one lightness, round OKLab's hue circle"},
    };
}

}  // namespace

const std::vector<BuiltinPalette>& BuiltinPalettes() {
    static const std::vector<BuiltinPalette> palettes = MakeBuiltinPalettes();
    return palettes;
}

const Palette* FindBuiltinPalette(std::string_view name) {
    for (const BuiltinPalette& p : BuiltinPalettes()) {
        if (p.palette.name == name) {
            return &p.palette;
        }
    }
    return nullptr;
}

}  // namespace galleri
