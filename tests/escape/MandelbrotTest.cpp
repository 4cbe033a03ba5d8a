#include <gtest/gtest.h>

#include "escape/EscapeScan.h"
#include "escape/Mandelbrot.h"
#include "support/HeadlessFigure.h"

namespace galleri {
namespace {

using testsupport::HeadlessFigure;
using testsupport::RecordingEngine;

TEST(Mandelbrot, CornerPixelEscapesAfterTheLaggingTest) {
    // c = -2 + 1.2i: |c|^2 = 5.44 is seen by the test before iteration 3.
    HeadlessFigure f(31, 17);
    f.Run("m_1");
    EXPECT_EQ(f.Pixel(0, 0), 2u * 20593u);
    f.Run("m_14");
    EXPECT_EQ(f.Pixel(0, 0), 2u * 24657u);
    EXPECT_EQ(f.surface.IterationLimit, 16777215);
    EXPECT_EQ(f.surface.PenWidth, 1);
}

TEST(Mandelbrot, PlaneWindowKeepsThePreset) {
    HeadlessFigure f(8, 8);
    f.Run("m_13");
    EXPECT_EQ(f.surface.PlaneLeft, -0.7645388);
    EXPECT_EQ(f.surface.PlaneRight, -0.7665464);
    EXPECT_EQ(f.surface.PlaneBottom, 0.09303);
    EXPECT_EQ(f.surface.PlaneTop, 0.102967);
    // An index without a row of its own draws the last preset.
    EXPECT_EQ(MandelbrotPresetAt(14).countStep, 24657u);
    EXPECT_EQ(MandelbrotPresetAt(-1).countStep, 24657u);
}

TEST(Mandelbrot, Preset12IsMirrored) {
    const int w = 40, h = 30;
    HeadlessFigure f(w, h);
    f.Run("m_13");
    ScanSettings settings;
    const ScanGrid grid = MakeScanGrid(-0.7645388, -0.7665464, 0.09303, 0.102967, w, h, settings);
    EXPECT_EQ(grid.columnRe[0], -0.7645388);
    EXPECT_LT(grid.columnRe[w - 1], grid.columnRe[0]);
    EscapeParams params;
    params.limit = 16777215;
    params.countStep = 53266;
    // Column 0 shows the real part -0.7645388; the last column the other edge.
    bool differs = false;
    for (int j = 0; j < h; ++j) {
        EXPECT_EQ(f.Pixel(0, j), EscapeColour(params, -0.7645388, grid.rowIm[j])) << j;
        differs = differs || f.Pixel(w - 1, j) != EscapeColour(params, -0.7645388, grid.rowIm[j]);
    }
    EXPECT_TRUE(differs);
}

TEST(Mandelbrot, RowTableHoldsAtMost4096Rows) {
    HeadlessFigure tall(2, 4096);
    tall.Run("m_2");
    EXPECT_NE(tall.Pixel(1, 4095), kWhite);

    HeadlessFigure tooTall(2, 4097);
    EXPECT_THROW(tooTall.Run("m_2"), RangeError);
    // Nothing was drawn, and the run was closed all the same.
    EXPECT_EQ(tooTall.Picture(), Bitmap(2, 4097));
    EXPECT_FALSE(tooTall.surface.RunOpen());
    EXPECT_TRUE(tooTall.platform.FormEnabled());
    EXPECT_EQ(tooTall.platform.Cursor(), kCursorDefault);
}

TEST(Mandelbrot, ScanComputesOneColumnAndRowBeyondThePicture) {
    RecordingEngine engine;
    HeadlessFigure f(23, 11);
    f.surface.SetEngine(&engine);
    f.Run("m_1");
    EXPECT_EQ(engine.columns, 24);
    EXPECT_EQ(engine.grid.rows, 12);
    // The extra column and row leave no trace.
    EXPECT_EQ(f.Picture().Width(), 23);
    EXPECT_EQ(f.Picture(), testsupport::DrawCommand("m_1", 23, 11));
}

TEST(Mandelbrot, RefreshAfterEveryTenthColumn) {
    HeadlessFigure f(95, 7);  // columns 0..95: message points at 10 .. 90
    f.Run("m_2");
    EXPECT_EQ(f.platform.refreshes, 9);
    EXPECT_EQ(f.platform.updates, 0);
    EXPECT_EQ(f.platform.messagePoints, 9);
    HeadlessFigure g(99, 7);  // columns 0..99: the last one brings i to 100
    g.Run("m_2");
    EXPECT_EQ(g.platform.refreshes, 10);
}

TEST(Mandelbrot, EscapeStopsAtATenColumnBoundary) {
    EXPECT_TRUE(testsupport::StopsAtColumnBoundary("m_1", 64, 40, 1, 10));
    EXPECT_TRUE(testsupport::StopsAtColumnBoundary("m_1", 64, 40, 3, 10));
    EXPECT_TRUE(testsupport::StopsAtColumnBoundary("m_4", 64, 40, 5, 10));
}

}  // namespace
}  // namespace galleri
