#include <gtest/gtest.h>

#include "commands/Commands.h"
#include "escape/Julia.h"
#include "support/HeadlessFigure.h"

namespace galleri {
namespace {

using testsupport::HeadlessFigure;

TEST(Julia, CornerIsBackgroundAndStateIsSet) {
    HeadlessFigure f(33, 21);
    for (int index = 0; index < kJuliaPresets; ++index) {
        DrawJulia(f.surface, index);
        EXPECT_EQ(f.Pixel(0, 0), 0xFFFFFEu) << index;
        EXPECT_EQ(f.surface.IterationLimit, JuliaPresetAt(index).limit);
    }
    EXPECT_EQ(f.surface.PenWidth, 1);
    EXPECT_EQ(f.surface.PlaneLeft, -1.8);
    EXPECT_EQ(f.surface.PlaneRight, 1.8);
    EXPECT_EQ(f.surface.PlaneBottom, -1.2);
    EXPECT_EQ(f.surface.PlaneTop, 1.2);
    DrawJulia(f.surface, 1);
    EXPECT_EQ(f.surface.IterationLimit, 16777215 / 2);
    EXPECT_THROW(JuliaPresetAt(15), RangeError);
}

TEST(Julia, PixelPointsAreFormedDirectly) {
    // A 36 x 24 picture puts pixel (18, 12) at 0 + 0i: -1.8 + 18 * 0.1 and
    // 1.2 - 12 * 0.1 in the direct form (a running sum would miss 0).
    HeadlessFigure f(36, 24);
    DrawJulia(f.surface, 0);
    const double dx = 3.6 / 36, dy = 2.4 / 24;
    EscapeParams p = JuliaParams(0);
    for (int i = 0; i < 36; i += 5) {
        for (int j = 0; j < 24; j += 5) {
            EXPECT_EQ(f.Pixel(i, j), EscapeColour(p, -1.8 + (i * dx), 1.2 - (j * dy)));
        }
    }
}

TEST(Julia, SharedCWithGrowingStepShrinksNothingButTheBudget) {
    // Presets 10 to 12: same c and limit, 32, 22 and 16 iterations. Fewer
    // iterations keep more points inside; the background is the same.
    auto insideCount = [](int index) {
        HeadlessFigure f(61, 41);
        DrawJulia(f.surface, index);
        int inside = 0;
        for (const uint32_t pixel : f.Picture().Pixels()) {
            inside += pixel != 0xFFFFFEu;
        }
        return inside;
    };
    const int in10 = insideCount(10), in11 = insideCount(11), in12 = insideCount(12);
    EXPECT_LT(in10, in11);
    EXPECT_LT(in11, in12);
}

TEST(Julia, UpdateEveryTwentyFifthColumnAndStop) {
    HeadlessFigure f(98, 5);  // columns 0..98: message points at 25, 50, 75
    DrawJulia(f.surface, 7);
    EXPECT_EQ(f.platform.updates, 3);
    EXPECT_EQ(f.platform.refreshes, 0);
    EXPECT_EQ(f.platform.messagePoints, 3);
    EXPECT_TRUE(testsupport::StopsAtColumnBoundary("j_1", 120, 40, 1, 25));
    EXPECT_TRUE(testsupport::StopsAtColumnBoundary("j_1", 120, 40, 3, 25));
}

TEST(Julia, MenuWiring) {
    const Command* j8 = FindCommand("j_8");
    ASSERT_NE(j8, nullptr);
    EXPECT_STREQ(j8->item, "j8J81");
    EXPECT_EQ(j8->preset, 7);
    HeadlessFigure viaMenu(45, 31);
    viaMenu.Run("j8J81");
    HeadlessFigure direct(45, 31);
    DrawJulia(direct.surface, 7);
    EXPECT_EQ(viaMenu.Picture(), direct.Picture());
    for (int k = 1; k <= 15; ++k) {
        const Command* c = FindCommand("j_" + std::to_string(k));
        ASSERT_NE(c, nullptr);
        EXPECT_TRUE(c->Enabled());
        EXPECT_EQ(c->preset, k - 1);
    }
}

}  // namespace
}  // namespace galleri
