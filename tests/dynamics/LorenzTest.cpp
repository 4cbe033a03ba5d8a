#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "PictureHash.h"
#include "dynamics/Lorenz.h"
#include "surface/HeadlessPlatform.h"
#include "surface/Surface.h"

namespace galleri {
namespace {

// Colour changes along a sequence of values, as the curve counts them.
int Changes(std::initializer_list<double> values) {
    int changes = 0;
    const double* previous = nullptr;
    for (const double& v : values) {
        if (previous != nullptr && CrossesZero(v, *previous)) {
            ++changes;
        }
        previous = &v;
    }
    return changes;
}

TEST(LorenzCrossing, LeavingZeroCountsArrivingDoesNot) {
    EXPECT_EQ(Changes({5, 0, 5}), 1);
    EXPECT_TRUE(CrossesZero(5, 0));
    EXPECT_FALSE(CrossesZero(0, 5));
    EXPECT_EQ(Changes({-5, 0, -5}), 1);
    EXPECT_TRUE(CrossesZero(-5, 0));
    EXPECT_EQ(Changes({-5, 0, 5}), 1);
    EXPECT_EQ(Changes({5, 0, 0, 0, -5}), 1);
    EXPECT_EQ(Changes({5, -5, 5}), 2);
    EXPECT_EQ(Changes({0, 0, 3, 7, 1}), 1);
    EXPECT_EQ(Changes({-3, -1, -7}), 0);
    // The oblique view judges the unrounded y of the system.
    EXPECT_TRUE(CrossesZero(1e-300, 0.0));
    EXPECT_FALSE(CrossesZero(0.0, -1e-300));
}

TEST(LorenzAngles, FactorAndWholeTurns) {
    EXPECT_EQ(DegreesToRadians(90), 90 * 0.0174533);
    EXPECT_EQ(DegreesToRadians(45), 45 * 0.0174533);
    EXPECT_EQ(DegreesToRadians(0), 0.0);
    EXPECT_EQ(DegreesToRadians(360), 0.0);
    EXPECT_EQ(DegreesToRadians(450), DegreesToRadians(90));
    EXPECT_EQ(DegreesToRadians(-270), DegreesToRadians(90));
    // Slightly more than a right angle: the z axis leans a hair to the left.
    const double c = std::cos(DegreesToRadians(90));
    EXPECT_LT(c, 0.0);
    EXPECT_GT(c, -1e-5);
}

struct Scene {
    explicit Scene(int w = 483, int h = 609) : platform(w, h), surface(platform) {}
    HeadlessPlatform platform;
    Surface surface;
};

std::set<uint32_t> CurveColours(const Bitmap& picture) {
    std::set<uint32_t> colours;
    for (uint32_t c : picture.Pixels()) {
        if (c != kWhite && c != 0) {
            colours.insert(c);
        }
    }
    return colours;
}

TEST(DrawLorenz, ColourGrowsBy255PerCrossing) {
    for (int preset = 0; preset < 3; ++preset) {
        SCOPED_TRACE(preset);
        Scene run;
        DrawLorenz(run.surface, preset);
        const std::set<uint32_t> colours = CurveColours(run.surface.Picture());
        for (uint32_t c : colours) {
            EXPECT_EQ((c - 4) % 255, 0u) << c;
        }
        // The third colour's few segments run along the vertical axis in
        // presets 0 and 1, where later ones cover them.
        for (uint32_t c : {4u, 259u, 769u, 1024u, 1279u, 1534u}) {
            EXPECT_TRUE(colours.count(c)) << c;
        }
        EXPECT_EQ(colours.count(514u), preset == 2 ? 1u : 0u);
        EXPECT_GT(colours.size(), 70u);
        EXPECT_LT(*colours.rbegin(), 32767u);
    }
}

TEST(DrawLorenz, AlwaysCompletesAndServesMessagesEvery150Steps) {
    for (int preset = 0; preset < 3; ++preset) {
        SCOPED_TRACE(preset);
        Scene reference;
        DrawLorenz(reference.surface, preset);

        Scene run;
        Surface& s = run.surface;
        s.PenWidth = 7;
        std::vector<int> updatesAtMessages;
        run.platform.onMessages = [&] {
            updatesAtMessages.push_back(run.platform.updates);
            s.RequestAbort();  // Escape pressed
        };
        DrawLorenz(s, preset);
        EXPECT_EQ(s.Picture(), reference.surface.Picture());
        EXPECT_EQ(run.platform.messagePoints, 54);
        EXPECT_EQ(run.platform.updates, 54);
        EXPECT_EQ(run.platform.refreshes, 0);
        // Steps 0, 150, ..., 7950; each message point repaints first.
        for (std::size_t n = 0; n < updatesAtMessages.size(); ++n) {
            EXPECT_EQ(updatesAtMessages[n], static_cast<int>(n) + 1);
        }
        EXPECT_EQ(s.PenWidth, 1);
        EXPECT_FALSE(s.RunOpen());
    }
}

TEST(DrawLorenz, AxesAreThickAndCaptionsComeAfterThem) {
    using Call = std::tuple<int, int, std::string>;
    const std::vector<Call> expected[3] = {
        {{462, 510, "Y"}, {241, 71, "Z"}},
        {{462, 291, "Y"}, {241, 71, "X"}},
        {{462, 510, "Y"}, {241, 71, "Z"}, {462, 231, "X"}},
    };
    for (int preset = 0; preset < 3; ++preset) {
        SCOPED_TRACE(preset);
        Scene run;
        std::vector<Call> calls;
        run.platform.textOut = [&](Bitmap& picture, int px, int py, const std::string& text) {
            // The vertical axis is drawn before any caption, the curve after.
            EXPECT_EQ(picture.Get(241, 200), 0u);
            EXPECT_TRUE(CurveColours(picture).empty());
            EXPECT_EQ(run.surface.PenWidth, 2);
            calls.emplace_back(px, py, text);
        };
        DrawLorenz(run.surface, preset);
        EXPECT_EQ(calls, expected[preset]);

        // Three pixels across: the vertical axis at column 241 (W div 2) and
        // the horizontal one at the bottom (presets 0, 2) or the centre (1).
        const Surface& s = run.surface;
        const int axisRow = preset == 1 ? 305 : 305 + 303 * 93 / 128;
        for (int k = -2; k <= 2; ++k) {
            const uint32_t expectedColour = std::abs(k) <= 1 ? 0u : kWhite;
            EXPECT_EQ(s.GetPixel(241 + k, 100), expectedColour) << k;
            EXPECT_EQ(s.GetPixel(3, axisRow + k), expectedColour) << k;
        }
    }
}

TEST(DrawLorenz, HalfSizesMustFitSixteenBits) {
    Scene wide(65536, 4);
    EXPECT_THROW(DrawLorenz(wide.surface, 0), RangeError);
    Scene tall(4, 65536);
    EXPECT_THROW(DrawLorenz(tall.surface, 1), RangeError);
}

// Golden checksums, fixed after the pictures were checked by eye; text is not
// drawn (the platform's textOut is left empty), so fonts do not matter.
TEST(DrawLorenz, GoldenChecksums) {
    struct Case {
        int w, h, preset;
        uint64_t hash;
    };
    const Case cases[] = {
        {483, 609, 0, 0x4e75970217d5064ull},  {483, 609, 1, 0xea37067ef2d9dbdcull},
        {483, 609, 2, 0xec51a86157e97332ull}, {800, 500, 0, 0xd6cc00aa3aa20419ull},
        {800, 500, 1, 0x365a1e58e86f4238ull}, {800, 500, 2, 0xa474de79f845c03aull},
    };
    for (const Case& c : cases) {
        Scene run(c.w, c.h);
        DrawLorenz(run.surface, c.preset);
        EXPECT_EQ(PictureHash(run.surface.Picture()), c.hash)
            << c.w << "x" << c.h << " preset " << c.preset << ": 0x" << std::hex
            << PictureHash(run.surface.Picture());
    }
}

}  // namespace
}  // namespace galleri
