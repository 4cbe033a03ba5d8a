#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>

#include "surface/TextRaster.h"

namespace galleri {
namespace {

// Text needs a QGuiApplication; one offscreen instance serves the whole test
// program (another test file may have made it already).
void EnsureGuiApplication() {
    if (QGuiApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "galleri_tests";
        static char* argv[] = {name, nullptr};
        new QGuiApplication(argc, argv);  // lives until the program ends
    }
}

// The rectangle of non-white pixels, and whether every pixel is black or white.
struct Ink {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    int black = 0;
    bool onlyBlackAndWhite = true;
};

Ink InkOf(const Bitmap& b) {
    Ink ink;
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 0; x < b.Width(); ++x) {
            const uint32_t v = b.Get(x, y);
            if (v != kWhite) {
                ink.left = std::min(ink.left, x);
                ink.top = std::min(ink.top, y);
                ink.right = std::max(ink.right, x);
                ink.bottom = std::max(ink.bottom, y);
            }
            ink.black += v == 0;
            ink.onlyBlackAndWhite = ink.onlyBlackAndWhite && (v == 0 || v == kWhite);
        }
    }
    return ink;
}

class RasterTextTest : public ::testing::Test {
  protected:
    void SetUp() override { EnsureGuiApplication(); }
};

TEST_F(RasterTextTest, BlackTextOnWhiteNearTheCorner) {
    Bitmap b(200, 60, 0x123456);
    RasterText(b, 10, 20, "träd 1.5");
    // The cell is painted white over the old colour, the glyphs black.
    EXPECT_EQ(b.Get(10, 20), kWhite);
    EXPECT_EQ(b.Get(9, 20), 0x123456u);
    EXPECT_EQ(b.Get(10, 19), 0x123456u);
    Bitmap onWhite(200, 60);
    RasterText(onWhite, 10, 20, "träd 1.5");
    const Ink ink = InkOf(onWhite);
    EXPECT_TRUE(ink.onlyBlackAndWhite);
    EXPECT_GT(ink.black, 20);
    EXPECT_GE(ink.left, 10);
    EXPECT_GE(ink.top, 20);
    EXPECT_LT(ink.right, 10 + 100);
    EXPECT_LT(ink.bottom, 20 + 30);
}

TEST_F(RasterTextTest, SameTextSamePixels) {
    Bitmap a(120, 40), b(120, 40);
    RasterText(a, 3, 4, "x = 12.25");
    RasterText(b, 3, 4, "x = 12.25");
    EXPECT_EQ(a, b);
}

// Text partly or wholly outside the bitmap: the visible part equals the same
// text drawn wholly inside a larger bitmap, shifted.
TEST_F(RasterTextTest, ClippedAtEveryEdge) {
    const std::string text = "Lorenz";
    Bitmap big(300, 100);
    RasterText(big, 100, 40, text);
    for (auto [px, py] : {std::pair{-7, -5}, std::pair{-100, 0}, std::pair{25, 12},
                          std::pair{-3, 15}, std::pair{30, -9}}) {
        SCOPED_TRACE(testing::Message() << px << "," << py);
        Bitmap small(40, 20);
        RasterText(small, px, py, text);
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 40; ++x) {
                const int bx = x - px + 100, by = y - py + 40;
                const uint32_t expected = big.Contains(bx, by) ? big.Get(bx, by) : kWhite;
                ASSERT_EQ(small.Get(x, y), expected) << x << "," << y;
            }
        }
    }
}

TEST_F(RasterTextTest, NothingToDraw) {
    Bitmap b(30, 30, 0x00FF00);
    const Bitmap before = b;
    RasterText(b, 5, 5, "");
    RasterText(b, 30, 0, "abc");
    RasterText(b, 0, 30, "abc");
    RasterText(b, -1000, -1000, "abc");
    RasterText(b, 2147483647, 2147483647, "abc");
    EXPECT_EQ(b, before);
    Bitmap empty;
    RasterText(empty, 0, 0, "abc");
    EXPECT_TRUE(empty.Empty());
}

}  // namespace
}  // namespace galleri
