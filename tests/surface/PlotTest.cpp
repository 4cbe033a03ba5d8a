#include <gtest/gtest.h>

#include <vector>

#include "surface/HeadlessPlatform.h"
#include "surface/Surface.h"

namespace galleri {
namespace {

constexpr uint32_t kRed = 0x0000FF;

// A surface with an open run at the given size, all white.
struct Fixture {
    explicit Fixture(int w, int h) : platform(w, h), surface(platform) { surface.ClearAndBegin(); }
    HeadlessPlatform platform;
    Surface surface;
};

TEST(Plot, OddSizeCentreAndTruncationTowardsZero) {
    Fixture f(483, 609);
    Surface& s = f.surface;
    s.Plot(0, 0, kRed);
    EXPECT_EQ(s.GetPixel(241, 305), kRed);
    s.Plot(0, 2, 1);
    EXPECT_EQ(s.GetPixel(241, 304), 1u);
    s.Plot(0, -2, 2);
    EXPECT_EQ(s.GetPixel(241, 306), 2u);
    // y = 1 and y = -1 both land on the centre row.
    s.Plot(0, 1, 3);
    EXPECT_EQ(s.GetPixel(241, 305), 3u);
    s.Plot(0, -1, 4);
    EXPECT_EQ(s.GetPixel(241, 305), 4u);
    s.Plot(0, 421, 5);
    EXPECT_EQ(s.GetPixel(241, 0), 5u);
    s.Plot(-241, 0, 6);
    EXPECT_EQ(s.GetPixel(0, 305), 6u);
}

TEST(Plot, RangeErrorsLeftAndTopOnly) {
    Fixture f(483, 609);
    Surface& s = f.surface;
    const Bitmap before = s.Picture();
    EXPECT_THROW(s.Plot(0, 422, 0), RangeError);
    EXPECT_THROW(s.Plot(-242, 0, 0), RangeError);
    EXPECT_NO_THROW(s.Plot(5000, 0, 0));
    EXPECT_THROW(s.Plot(70000, 0, 0), RangeError);
    EXPECT_EQ(s.Picture(), before);
}

TEST(Plot, EvenWidthCentre) {
    Fixture f(484, 100);
    f.surface.Plot(0, 0, 7);
    EXPECT_EQ(f.surface.GetPixel(241, 50), 7u);
}

TEST(Plot, OverflowOnHugeCoordinates) {
    Fixture f(483, 609);
    EXPECT_THROW(f.surface.Plot(INT32_MAX, 0, 0), OverflowError);
    EXPECT_THROW(f.surface.Plot(0, INT32_MAX, 0), OverflowError);
}

TEST(PutPixel, ColourRange) {
    Fixture f(10, 10);
    EXPECT_THROW(f.surface.PutPixel(1, 1, 0x80000000u), RangeError);
    EXPECT_EQ(f.surface.GetPixel(1, 1), 0xFFFFFFu);
    f.surface.PutPixel(1, 1, 0x7FFFFFFFu);
    EXPECT_EQ(f.surface.GetPixel(1, 1), 0x7FFFFFFFu);
}

// A column write is the same as PutPixel from the top down: clipped below and
// right of the bitmap, and a bad colour fails where it stands, after the
// pixels above it.
TEST(PutPixel, ColumnAsPixelByPixel) {
    const std::vector<uint32_t> colours = {1, 2, 0x7FFFFFFFu, 0x80000000u, 5, 6};
    struct Case {
        int x;
        int n;
        bool throws;
    };
    for (const Case c : {Case{2, 6, true}, Case{2, 3, false}, Case{3, 6, true}, Case{9, 2, false},
                         Case{10, 6, true}, Case{0, 0, false}}) {
        Fixture column(10, 3), pixels(10, 3);
        bool pixelThrew = false;
        try {
            for (int y = 0; y < c.n; ++y) {
                pixels.surface.PutPixel(static_cast<uint16_t>(c.x), static_cast<uint16_t>(y),
                                        colours[y]);
            }
        } catch (const RangeError&) {
            pixelThrew = true;
        }
        bool columnThrew = false;
        try {
            column.surface.PutColumn(static_cast<uint16_t>(c.x), colours.data(), c.n);
        } catch (const RangeError&) {
            columnThrew = true;
        }
        EXPECT_EQ(columnThrew, c.throws) << "column " << c.x << ", " << c.n << " rows";
        EXPECT_EQ(pixelThrew, c.throws);
        EXPECT_TRUE(column.surface.Picture() == pixels.surface.Picture()) << "column " << c.x;
    }
}

}  // namespace
}  // namespace galleri
