#include <gtest/gtest.h>

#include "escape/BinaryDecomposition.h"
#include "support/HeadlessFigure.h"

namespace galleri {
namespace {

using testsupport::HeadlessFigure;

TEST(BinaryDecomposition, TopLeftPixelIsBlack) {
    HeadlessFigure f(37, 29);
    f.Run("binary decomposition");
    EXPECT_EQ(f.Pixel(0, 0), 0u);
    for (const uint32_t pixel : f.Picture().Pixels()) {
        ASSERT_TRUE(pixel == 0u || pixel == kWhite);
    }
}

TEST(BinaryDecomposition, OwnRectangleLeavesThePlaneWindow) {
    HeadlessFigure f(20, 20);
    f.Run("m_1");
    f.Run("binarydecomposition1");
    EXPECT_EQ(f.surface.PlaneLeft, -2.0);
    EXPECT_EQ(f.surface.PlaneRight, 1.2);
    EXPECT_EQ(f.surface.PlaneTop, 1.2);
    EXPECT_EQ(f.surface.IterationLimit, 16);
    EXPECT_EQ(f.surface.PenWidth, 1);
    // Pixel points are formed directly from the local rectangle.
    const EscapeParams p = BinaryDecompositionParams();
    const double dx = 4.0 / 20, dy = 3.0 / 20;
    for (int i = 0; i < 20; i += 3) {
        for (int j = 0; j < 20; j += 3) {
            EXPECT_EQ(f.Pixel(i, j), EscapeColour(p, -2.0 + (i * dx), 1.5 - (j * dy)));
        }
    }
}

TEST(BinaryDecomposition, NeverHandlesMessagesNorStops) {
    HeadlessFigure full(150, 30);
    full.Run("binary decomposition");
    HeadlessFigure f(150, 30);
    // A stop request raised during the drawing is not looked at.
    f.platform.onProgress = [&](int, int) { f.surface.RequestAbort(); };
    f.Run("binary decomposition");
    EXPECT_EQ(f.platform.messagePoints, 0);
    EXPECT_EQ(f.platform.updates, 0);
    EXPECT_EQ(f.platform.refreshes, 0);
    EXPECT_TRUE(f.surface.AbortRequested);
    EXPECT_EQ(f.Picture(), full.Picture());
}

}  // namespace
}  // namespace galleri
