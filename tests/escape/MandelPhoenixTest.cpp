#include <gtest/gtest.h>

#include "escape/MandelPhoenix.h"
#include "support/HeadlessFigure.h"

namespace galleri {
namespace {

using testsupport::HeadlessFigure;

TEST(MandelPhoenix, LeftEdgePixels) {
    // Column 0 is p = -2.1: z1 = -2.1, and the lagging test sees 4.41
    // before iteration 3, whatever q (z-1 is still 0 when it matters).
    HeadlessFigure f(9, 4);
    f.Run("mandelphoenix");
    EXPECT_EQ(f.Pixel(0, 0), 2u * 53267u);
    EXPECT_EQ(f.Pixel(0, 2), 2u * 53267u);
    EXPECT_EQ(f.surface.IterationLimit, 16777215);
    EXPECT_EQ(f.surface.PenWidth, 1);
    EXPECT_EQ(f.surface.PlaneLeft, -2.1);
    EXPECT_EQ(f.surface.PlaneRight, 1.5);
    EXPECT_EQ(f.surface.PlaneBottom, -2.0);
    EXPECT_EQ(f.surface.PlaneTop, 2.0);
}

TEST(MandelPhoenix, LastColumnAndRowOnTheWindowEdges) {
    testsupport::RecordingEngine engine;
    HeadlessFigure f(63, 41);
    f.surface.SetEngine(&engine);
    f.Run("mandelphoenix");
    EXPECT_EQ(engine.columns, 64);
    EXPECT_NEAR(engine.grid.columnRe[63], 1.5, 1e-12);
    EXPECT_NEAR(engine.grid.rowIm[41], -2.0, 1e-12);
}

TEST(MandelPhoenix, UpdateEveryTenthColumnAndStop) {
    HeadlessFigure f(29, 5);  // columns 0..29: message points at 10, 20, 30
    f.Run("mandelphoenix");
    EXPECT_EQ(f.platform.updates, 3);
    EXPECT_EQ(f.platform.refreshes, 0);
    EXPECT_TRUE(testsupport::StopsAtColumnBoundary("mandelphoenix", 64, 40, 2, 10));
    EXPECT_TRUE(testsupport::StopsAtColumnBoundary("mandelphoenix", 64, 40, 6, 10));
}

TEST(MandelPhoenix, RowTableHoldsAtMost4096Rows) {
    HeadlessFigure f(3, 4097);
    EXPECT_THROW(f.Run("mandelphoenix"), RangeError);
    EXPECT_EQ(f.Picture(), Bitmap(3, 4097));
    EXPECT_TRUE(f.platform.FormEnabled());
}

}  // namespace
}  // namespace galleri
