#include <gtest/gtest.h>

#include "commands/Commands.h"
#include "geometry/GeometryTestSupport.h"
#include "geometry/Sierpinski.h"
#include "surface/Random.h"

namespace galleri {
namespace {

using testing::Canvas;
using testing::InkedPixels;
using testing::PictureHash;

// Every set pixel is red of intensity px div ((W + 1) div 127) + 1.
void ExpectColourByColumn(const Bitmap& p) {
    const uint32_t divisor = static_cast<uint32_t>(p.Width() + 1) / 127;
    for (int y = 0; y < p.Height(); ++y) {
        for (int x = 0; x < p.Width(); ++x) {
            const uint32_t v = p.Get(x, y);
            if (v != kWhite) {
                ASSERT_EQ(v, static_cast<uint32_t>(x) / divisor + 1) << x << "," << y;
            }
        }
    }
}

TEST(Sierpinski, ColourByColumn) {
    Canvas c(483, 609);
    DrawSierpinski(c.surface);
    const Bitmap& p = c.surface.Picture();
    ExpectColourByColumn(p);
    // The apex is on the bottom edge at column 320: the bottom row has points
    // only near it.
    int bottom = 0;
    for (int x = 0; x < p.Width(); ++x) {
        if (p.Get(x, 608) != kWhite) {
            ++bottom;
            EXPECT_NEAR(x, 320, 12);
        }
    }
    EXPECT_GT(bottom, 0);
    EXPECT_FALSE(c.surface.RunOpen());
}

TEST(Sierpinski, FirstRunFromProgramStartIsAlwaysTheSame) {
    Canvas a(483, 609);
    DrawSierpinski(a.surface);
    Canvas b(483, 609);
    DrawSierpinski(b.surface);
    EXPECT_EQ(a.surface.Picture(), b.surface.Picture());
    EXPECT_EQ(PictureHash(a.surface.Picture()), 15805316642692593509u);
    Canvas other(640, 480);
    DrawSierpinski(other.surface);
    EXPECT_EQ(PictureHash(other.surface.Picture()), 9997103787258820704u);
}

TEST(Sierpinski, DrawsTwoPlusOneRandomNumberPerStep) {
    Canvas c(300, 200);
    DrawSierpinski(c.surface);
    RandomGenerator reference;
    for (int i = 0; i < 120002; ++i) {
        reference.Next(32767);
    }
    EXPECT_EQ(Random(c.surface, 1 << 30), reference.Next(1 << 30));
}

TEST(Sierpinski, NarrowPictureClipsThePointsBeyondIt) {
    // The bottom corner stays at column 320, right of a 200-pixel picture.
    Canvas c(200, 300);
    ASSERT_NO_THROW(DrawSierpinski(c.surface));
    const Bitmap& p = c.surface.Picture();
    ExpectColourByColumn(p);
    EXPECT_FALSE(InkedPixels(p).empty());
    // The apex is outside: the bottom row has only the points on the way to it.
    EXPECT_EQ(p.Get(199, 299), kWhite);
    EXPECT_EQ(PictureHash(p), 15543900584882859669u);
}

TEST(Sierpinski, PixelCoordinatesBeyond16BitsAreARangeError) {
    Canvas c(70000, 2);
    EXPECT_THROW(DrawSierpinski(c.surface), RangeError);
}

TEST(Sierpinski, PictureTooNarrowForTheColourRuleIsAnError) {
    // (W + 1) div 127 is 0: the division fails instead of crashing, and the
    // command gives the window back.
    Canvas c(120, 100);
    const Command* command = FindCommand("sierpinski triangle");
    ASSERT_NE(command, nullptr);
    EXPECT_THROW(RunFigure(c.surface, *command), DrawingError);
    EXPECT_FALSE(c.surface.RunOpen());
    EXPECT_TRUE(c.platform.FormEnabled());
}

}  // namespace
}  // namespace galleri
