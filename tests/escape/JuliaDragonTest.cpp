#include <gtest/gtest.h>

#include "commands/Commands.h"
#include "escape/JuliaDragon.h"
#include "support/HeadlessFigure.h"

namespace galleri {
namespace {

using testsupport::HeadlessFigure;

TEST(JuliaDragon, StateAndCorner) {
    HeadlessFigure f(41, 37);
    DrawJuliaDragon(f.surface, 1);
    EXPECT_EQ(f.Pixel(0, 0), kWhite);
    EXPECT_EQ(f.surface.IterationLimit, 16777215);
    EXPECT_EQ(f.surface.PenWidth, 1);
    EXPECT_EQ(f.surface.PlaneLeft, -0.4);
    EXPECT_EQ(f.surface.PlaneRight, 1.4);
    EXPECT_EQ(f.surface.PlaneBottom, -0.8);
    EXPECT_EQ(f.surface.PlaneTop, 0.8);
    EXPECT_THROW(JuliaDragonPresetAt(10), RangeError);
}

TEST(JuliaDragon, PixelOnTheFixedPointGetsColourOne) {
    // In a 27 x 8 picture pixel (6, 4) is exactly 0 + 0i in the direct form:
    // z = 0 is fixed, so S = 0.
    HeadlessFigure f(27, 8);
    DrawJuliaDragon(f.surface, 1);
    const double dx = (1.4 - (-0.4)) / 27, dy = (0.8 - (-0.8)) / 8;
    ASSERT_EQ(-0.4 + (6 * dx), 0.0);
    ASSERT_EQ(0.8 - (4 * dy), 0.0);
    EXPECT_EQ(f.Pixel(6, 4), 1u);
    EXPECT_EQ(f.Pixel(5, 4), kWhite);
}

TEST(JuliaDragon, PresetsTwoToEightAreWhite) {
    // For these factors the critical point escapes: no interior.
    for (int index = 2; index <= 8; ++index) {
        HeadlessFigure f(97, 61);
        DrawJuliaDragon(f.surface, index);
        EXPECT_TRUE(f.ColumnsWhite(0, 97)) << index;
    }
    HeadlessFigure f(97, 61);
    DrawJuliaDragon(f.surface, 9);
    EXPECT_FALSE(f.ColumnsWhite(0, 97));
}

TEST(JuliaDragon, UpdateEveryTwentyFifthColumnAndStop) {
    HeadlessFigure f(50, 5);  // columns 0..50: message points at 25 and 50
    DrawJuliaDragon(f.surface, 1);
    EXPECT_EQ(f.platform.updates, 2);
    EXPECT_EQ(f.platform.refreshes, 0);
    EXPECT_TRUE(testsupport::StopsAtColumnBoundary("jd_1", 120, 60, 1, 25));
    EXPECT_TRUE(testsupport::StopsAtColumnBoundary("jd_1", 120, 60, 2, 25));
}

TEST(JuliaDragon, MenuWiring) {
    const Command* jd10 = FindCommand("jd_10");
    const Command* jd1 = FindCommand("jd_1");
    ASSERT_NE(jd10, nullptr);
    ASSERT_NE(jd1, nullptr);
    EXPECT_EQ(jd10->preset, 0);
    EXPECT_EQ(jd1->preset, 1);
    // Same lambda, budgets of 3986 and 272 iterations: the pictures differ.
    HeadlessFigure a(61, 53);
    a.Run("jd101");
    HeadlessFigure b(61, 53);
    DrawJuliaDragon(b.surface, 0);
    EXPECT_EQ(a.Picture(), b.Picture());
    HeadlessFigure c(61, 53);
    c.Run("jd11");
    HeadlessFigure d(61, 53);
    DrawJuliaDragon(d.surface, 1);
    EXPECT_EQ(c.Picture(), d.Picture());
    EXPECT_NE(a.Picture(), c.Picture());
    for (int k = 1; k <= 9; ++k) {
        EXPECT_EQ(FindCommand("jd_" + std::to_string(k))->preset, k);
    }
}

}  // namespace
}  // namespace galleri
