#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <stdexcept>
#include <vector>

#include "colour/BuiltinPalettes.h"
#include "colour/ColourSpace.h"
#include "colour/Gradient.h"
#include "colour/OrderedDither.h"

namespace galleri {
namespace {

constexpr Rgb8 kBlack{0, 0, 0};
constexpr Rgb8 kWhite8{255, 255, 255};

double Entry(int i) {
    return static_cast<double>(i) / Gradient::kEntries;
}

TEST(ColourGradient, StopsComeOutExactAndMidpointsBlendInOklab) {
    // Black and white: OKLab's half-way L of 0.5 is linear light 0.125.
    const double oklabMidGrey = LinearToSrgb(0.125) * 255.0;
    struct Case {
        std::vector<Stop> stops;
        double nu;
        std::array<double, 3> levels;
    };
    const std::vector<Case> cases = {
        {{{0.0, kBlack}, {0.5, kWhite8}}, 0.0, {0, 0, 0}},
        {{{0.0, kBlack}, {0.5, kWhite8}}, 0.5, {255, 255, 255}},
        {{{0.0, kBlack}, {0.5, kWhite8}}, 0.25, {oklabMidGrey, oklabMidGrey, oklabMidGrey}},
        // Past the last stop the palette blends back into the first.
        {{{0.0, kBlack}, {0.5, kWhite8}}, 0.75, {oklabMidGrey, oklabMidGrey, oklabMidGrey}},
        // Before the first stop too, when the first is not at 0.
        {{{0.25, kBlack}, {0.75, kWhite8}}, 0.0, {oklabMidGrey, oklabMidGrey, oklabMidGrey}},
        {{{0.25, kBlack}, {0.75, kWhite8}}, 0.25, {0, 0, 0}},
        // A colour that is not grey survives its trip through OKLab.
        {{{0.0, {200, 100, 50}}, {0.5, {10, 220, 130}}}, 0.0, {200, 100, 50}},
        {{{0.0, {200, 100, 50}}, {0.5, {10, 220, 130}}}, 0.5, {10, 220, 130}},
        // One stop alone is the whole palette.
        {{{0.3, {1, 2, 3}}}, 0.9, {1, 2, 3}},
        // Two stops at one place are a hard edge: from there on, the second.
        {{{0.0, kBlack}, {0.5, kBlack}, {0.5, kWhite8}, {1.0, kWhite8}}, 0.5, {255, 255, 255}},
        {{{0.0, kBlack}, {0.5, kBlack}, {0.5, kWhite8}, {1.0, kWhite8}}, Entry(2047), {0, 0, 0}},
        // Stops are sorted.
        {{{0.5, kWhite8}, {0.0, kBlack}}, 0.0, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        const Gradient g(c.stops);
        const std::array<float, 3> levels = g.Levels(c.nu);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(levels[i], c.levels[i], 2e-3) << "nu " << c.nu << " channel " << i;
        }
    }
    EXPECT_NEAR(oklabMidGrey, 99.09, 0.01);
}

TEST(ColourGradient, DensityAndOffsetWrap) {
    struct Case {
        double nu, density, offset, phase;
    };
    const std::vector<Case> cases = {
        {0.0, 1.0, 0.0, 0.0},      {0.25, 1.0, 0.0, 0.25},  {1.25, 1.0, 0.0, 0.25},
        {5.0, 10.0, 0.0, 0.5},     {25.0, 10.0, 0.0, 0.5},  {-0.25, 1.0, 0.0, 0.75},
        {-7.5, 10.0, 0.0, 0.25},   {0.5, 1.0, 0.75, 0.25},  {30.0, 20.0, 0.5, 0.0},
        {3.0, 4.0, -0.5, 0.25},    {1e300, 1.0, 0.0, 0.0},  {NAN, 1.0, 0.0, 0.0},
        {INFINITY, 1.0, 0.0, 0.0}, {-1e-20, 1.0, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        const Gradient g(std::vector<Stop>{{0.0, kBlack}}, c.density, c.offset);
        EXPECT_DOUBLE_EQ(g.Phase(c.nu), c.phase) << c.nu << " " << c.density << " " << c.offset;
    }
    // One pass through the palette later, the same colour at every pixel.
    const Gradient g(BuiltinPalettes().front().palette.stops, 8.0, 0.3);
    for (double nu : {0.0, 1.5, 3.25, 7.875}) {
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(g.Colour(nu, x, 3), g.Colour(nu + 8.0, x, 3)) << nu;
            EXPECT_EQ(g.Colour(nu, x, 3), g.Colour(nu - 16.0, x, 3)) << nu;
        }
    }
}

TEST(ColourGradient, RefusesWhatCannotMakeATable) {
    const std::vector<Stop> one = {{0.0, kBlack}};
    EXPECT_THROW(Gradient(std::vector<Stop>{}), std::invalid_argument);
    EXPECT_THROW(Gradient(std::vector<Stop>{{1.5, kBlack}}), std::invalid_argument);
    EXPECT_THROW(Gradient(std::vector<Stop>{{NAN, kBlack}}), std::invalid_argument);
    EXPECT_THROW(Gradient(one, 0.0), std::invalid_argument);
    EXPECT_THROW(Gradient(one, -1.0), std::invalid_argument);
    EXPECT_THROW(Gradient(one, NAN), std::invalid_argument);
    EXPECT_THROW(Gradient(one, 1.0, INFINITY), std::invalid_argument);
}

TEST(ColourDither, BayerMatrixHoldsEachRankOnce) {
    const std::set<int> ranks(BayerMatrix8(), BayerMatrix8() + 64);
    EXPECT_EQ(ranks.size(), 64u);
    EXPECT_EQ(*ranks.begin(), 0);
    EXPECT_EQ(*ranks.rbegin(), 63);
    // The tile repeats every 8 pixels, to the left and above as well.
    EXPECT_EQ(OrderedDitherThreshold(3, 5), OrderedDitherThreshold(3 - 8, 5 + 16));
    EXPECT_EQ(OrderedDitherThreshold(-1, -1), OrderedDitherThreshold(7, 7));
}

TEST(ColourDither, KeepsTheMeanOfEveryBlock) {
    const Gradient g(std::vector<Stop>{{0.0, {0, 0, 0}}, {0.5, {255, 128, 40}}});
    for (int i = 0; i < Gradient::kEntries; i += 97) {
        const double nu = Entry(i);
        const std::array<float, 3> exact = g.Levels(nu);
        for (const auto& [x0, y0] : {std::pair{0, 0}, std::pair{8, 24}, std::pair{-13, 5}}) {
            double sum[3] = {0, 0, 0};
            std::set<uint32_t> seen;
            for (int y = y0; y < y0 + 8; ++y) {
                for (int x = x0; x < x0 + 8; ++x) {
                    const uint32_t c = g.Colour(nu, x, y);
                    seen.insert(c);
                    sum[0] += c & 0xFF;
                    sum[1] += (c >> 8) & 0xFF;
                    sum[2] += (c >> 16) & 0xFF;
                    EXPECT_EQ(c >> 24, 0u);
                }
            }
            for (int ch = 0; ch < 3; ++ch) {
                EXPECT_NEAR(sum[ch] / 64.0, exact[ch], 1.0 / 64.0) << "entry " << i;
                // Only the two levels either side of the exact one.
                EXPECT_LE(std::abs(sum[ch] / 64.0 - exact[ch]), 1.0);
            }
            EXPECT_LE(seen.size(), 8u);
        }
    }
}

TEST(ColourDither, ColourLayoutIsRedInTheLowestByte) {
    const Gradient g(std::vector<Stop>{{0.0, {0x12, 0x34, 0x56}}});
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(g.Colour(0.0, x, 0), 0x563412u);
    }
}

TEST(PaletteBuiltin, NamedDistinctAndUsable) {
    std::set<std::string> names;
    for (const BuiltinPalette& b : BuiltinPalettes()) {
        const Palette& p = b.palette;
        EXPECT_TRUE(names.insert(p.name).second) << p.name;
        EXPECT_FALSE(b.description.empty()) << p.name;
        ASSERT_GE(p.stops.size(), 2u) << p.name;
        for (size_t i = 0; i < p.stops.size(); ++i) {
            EXPECT_GE(p.stops[i].position, 0.0) << p.name;
            EXPECT_LE(p.stops[i].position, 1.0) << p.name;
            if (i > 0) {
                EXPECT_GT(p.stops[i].position, p.stops[i - 1].position) << p.name;
            }
        }
        EXPECT_NO_THROW(Gradient(p.stops)) << p.name;
        EXPECT_EQ(FindBuiltinPalette(p.name), &p);
    }
    EXPECT_GE(names.size(), 5u);
    EXPECT_LE(names.size(), 8u);
    for (const char* name : {"classic", "fire", "ice", "ocean", "grey", "rainbow"}) {
        EXPECT_NE(FindBuiltinPalette(name), nullptr) << name;
    }
    EXPECT_EQ(FindBuiltinPalette("Fire"), nullptr);
    EXPECT_EQ(FindBuiltinPalette(""), nullptr);
}

TEST(PaletteBuiltin, RainbowKeepsOneLightness) {
    const Palette* rainbow = FindBuiltinPalette("rainbow");
    ASSERT_NE(rainbow, nullptr);
    std::set<uint32_t> colours;
    for (const Stop& s : rainbow->stops) {
        const Oklab lab =
            LinearToOklab({SrgbToLinear(s.colour.r / 255.0), SrgbToLinear(s.colour.g / 255.0),
                           SrgbToLinear(s.colour.b / 255.0)});
        // Hues outside sRGB are clipped, which moves L a little.
        EXPECT_NEAR(lab.L, 0.75, 0.03) << s.position;
        colours.insert(PackColour(s.colour));
    }
    EXPECT_EQ(colours.size(), rainbow->stops.size());
}

}  // namespace
}  // namespace galleri
