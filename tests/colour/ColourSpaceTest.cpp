#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "colour/ColourSpace.h"

namespace galleri {
namespace {

TEST(ColourSpace, SrgbCurvesKnownValues) {
    struct Case {
        double encoded;
        double linear;
    };
    // The straight piece below 0.04045, the power piece above, and the
    // values often quoted for them.
    const std::vector<Case> cases = {
        {0.0, 0.0},
        {1.0, 1.0},
        {0.04, 0.04 / 12.92},
        {0.02, 0.02 / 12.92},
        {0.5, 0.21404114048223255},
        {128.0 / 255.0, 0.21586050011389926},
        {0.735356983052449, 0.5},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(SrgbToLinear(c.encoded), c.linear, 1e-12) << c.encoded;
        EXPECT_NEAR(LinearToSrgb(c.linear), c.encoded, 1e-12) << c.linear;
    }
}

TEST(ColourSpace, EveryEightBitLevelRoundTrips) {
    for (int level = 0; level <= 255; ++level) {
        const double back = LinearToSrgb(SrgbToLinear(level / 255.0)) * 255.0;
        EXPECT_NEAR(back, level, 1e-9) << level;
        EXPECT_EQ(std::lround(back), level);
    }
}

TEST(ColourSpace, OklabKnownColours) {
    struct Case {
        LinearRgb rgb;
        Oklab lab;
    };
    // White and black at the ends of L with no hue, the primaries as
    // Ottosson's matrices give them, and a grey whose L is the cube root of
    // its light.
    const std::vector<Case> cases = {
        {{1, 1, 1}, {1.0, 0.0, 0.0}},
        {{0, 0, 0}, {0.0, 0.0, 0.0}},
        {{1, 0, 0}, {0.627955, 0.224863, 0.125846}},
        {{0, 1, 0}, {0.866440, -0.233888, 0.179498}},
        {{0, 0, 1}, {0.452014, -0.032457, -0.311528}},
        {{0.125, 0.125, 0.125}, {0.5, 0.0, 0.0}},
    };
    for (const Case& c : cases) {
        const Oklab lab = LinearToOklab(c.rgb);
        EXPECT_NEAR(lab.L, c.lab.L, 1e-6) << c.rgb.r << " " << c.rgb.g << " " << c.rgb.b;
        EXPECT_NEAR(lab.a, c.lab.a, 1e-6) << c.rgb.r << " " << c.rgb.g << " " << c.rgb.b;
        EXPECT_NEAR(lab.b, c.lab.b, 1e-6) << c.rgb.r << " " << c.rgb.g << " " << c.rgb.b;
    }
}

// The published matrices have ten decimals, so they undo each other to
// about 1e-7: far below an 8-bit level.
TEST(ColourSpace, OklabRoundTrips) {
    const std::vector<LinearRgb> colours = {
        {1, 1, 1}, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0.2, 0.5, 0.8}, {0.9, 0.01, 0.3},
    };
    for (const LinearRgb& c : colours) {
        const LinearRgb back = OklabToLinear(LinearToOklab(c));
        EXPECT_NEAR(back.r, c.r, 5e-7);
        EXPECT_NEAR(back.g, c.g, 5e-7);
        EXPECT_NEAR(back.b, c.b, 5e-7);
    }
}

}  // namespace
}  // namespace galleri
