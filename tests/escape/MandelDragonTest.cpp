#include <gtest/gtest.h>

#include "escape/MandelDragon.h"
#include "support/HeadlessFigure.h"

namespace galleri {
namespace {

using testsupport::HeadlessFigure;

TEST(MandelDragon, LeftEdgeOnTheRealAxis) {
    // The window is divided by height + 1 = 4: row 2 is exactly 0, and column
    // 0 is lambda = -2.2, which escapes after three iterations.
    HeadlessFigure f(5, 3);
    f.Run("mandeldragon");
    EXPECT_EQ(f.Pixel(0, 2), 3u * 61489u);
    EXPECT_EQ(f.surface.IterationLimit, 16777215);
    EXPECT_EQ(f.surface.PenWidth, 1);
    EXPECT_EQ(f.surface.PlaneLeft, -2.2);
    EXPECT_EQ(f.surface.PlaneRight, 4.2);
    EXPECT_EQ(f.surface.PlaneBottom, -1.5);
    EXPECT_EQ(f.surface.PlaneTop, 1.5);
}

TEST(MandelDragon, LastColumnAndRowLieInsideTheWindow) {
    // The window is divided by width + 1 and height + 1.
    testsupport::RecordingEngine engine;
    HeadlessFigure f(63, 41);
    f.surface.SetEngine(&engine);
    f.Run("mandeldragon");
    EXPECT_EQ(engine.columns, 64);
    EXPECT_EQ(engine.grid.columnRe[0], -2.2);
    EXPECT_NEAR(engine.grid.columnRe[63], 4.2 - 6.4 / 64, 1e-12);
    EXPECT_EQ(engine.grid.rowIm[0], 1.5);
    EXPECT_NEAR(engine.grid.rowIm[41], -1.5 + 3.0 / 42, 1e-12);
}

TEST(MandelDragon, UpdateEveryTenthColumnAndStop) {
    HeadlessFigure f(40, 5);  // columns 0..40: message points at 10 .. 40
    f.Run("mandeldragon");
    EXPECT_EQ(f.platform.updates, 4);
    EXPECT_EQ(f.platform.refreshes, 0);
    EXPECT_TRUE(testsupport::StopsAtColumnBoundary("mandeldragon", 64, 40, 1, 10));
    EXPECT_TRUE(testsupport::StopsAtColumnBoundary("mandeldragon", 64, 40, 4, 10));
}

TEST(MandelDragon, RowTableHoldsAtMost4096Rows) {
    HeadlessFigure f(2, 4097);
    EXPECT_THROW(f.Run("mandeldragon"), RangeError);
    EXPECT_EQ(f.Picture(), Bitmap(2, 4097));
    EXPECT_FALSE(f.surface.RunOpen());
    HeadlessFigure g(1, 4096);
    EXPECT_NO_THROW(g.Run("mandeldragon"));
}

}  // namespace
}  // namespace galleri
