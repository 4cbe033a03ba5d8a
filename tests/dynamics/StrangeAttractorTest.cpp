#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "PictureHash.h"
#include "dynamics/StrangeAttractor.h"
#include "surface/HeadlessPlatform.h"
#include "surface/Surface.h"

namespace galleri {
namespace {

struct Scene {
    explicit Scene(int w = 483, int h = 609) : platform(w, h), surface(platform) {}
    HeadlessPlatform platform;
    Surface surface;
};

TEST(StrangeAttractor, FirstIterateFromTheOrigin) {
    const AttractorPoint p = StrangeAttractorNext({0.0, 0.0, 0.0});
    EXPECT_EQ(p.x, 0.0);
    EXPECT_EQ(p.y, -1.0);
    EXPECT_EQ(p.z, 0.0);
}

TEST(StrangeAttractor, ScalesAndRoundingToEven) {
    EXPECT_EQ(StrangeAttractorScaleX(483), 86.25);
    EXPECT_EQ(StrangeAttractorScaleX(560), 100.0);
    // 1785.714... is cut to 1785, not rounded to 1786.
    EXPECT_EQ(StrangeAttractorScaleX(1), 0.1785);
    EXPECT_EQ(StrangeAttractorScaleX(100), 17.8571);

    // The first iterate's row (-1 + 2.0) * H / 4 lies halfway for H = 610
    // and H = 606: 152.5 and 151.5 both go to 152.
    const AttractorPoint first{0.0, -1.0, 0.0};
    EXPECT_EQ(StrangeAttractorPixel(0, first, 1.0, 610 / 4.0).row, 152);
    EXPECT_EQ(StrangeAttractorPixel(0, first, 1.0, 606 / 4.0).row, 152);
    // The other view: column from y, row from z.
    const AttractorPixel side = StrangeAttractorPixel(1, {9.0, 0.7, 0.5}, 10.0, 4.0);
    EXPECT_EQ(side.column, 35);
    EXPECT_EQ(side.row, 10);
}

TEST(StrangeAttractor, DensityColourNeverWrapsToZero) {
    EXPECT_EQ(NextDensityColour(0xFFFFFF), 2u);  // first visit on white
    EXPECT_EQ(NextDensityColour(2), 4u);
    EXPECT_EQ(NextDensityColour(0xFE), 0x100u);  // carries into green
    EXPECT_EQ(NextDensityColour(0xFFFFFE), 1u);
    EXPECT_EQ(NextDensityColour(0), 2u);
}

// Visits per pixel inside the bitmap, by replaying the orbit.
std::map<std::pair<int, int>, int> Visits(int index, int w, int h, int* row0, int* col0) {
    std::map<std::pair<int, int>, int> visits;
    AttractorPoint p{0.0, 0.0, 0.0};
    const double sx = StrangeAttractorScaleX(w);
    const double sy = h / 4.0;
    for (int i = 0; i < 50000; ++i) {
        p = StrangeAttractorNext(p);
        const AttractorPixel px = StrangeAttractorPixel(index, p, sx, sy);
        *row0 += px.row == 0;
        *col0 += px.column == 0;
        if (px.column > 0 && px.column < w && px.row > 0 && px.row < h) {
            ++visits[{px.column, px.row}];
        }
    }
    return visits;
}

TEST(DrawStrangeAttractor, PixelHitNTimesHoldsTwoN) {
    for (int index = 0; index < 2; ++index) {
        SCOPED_TRACE(index);
        Scene run(483, 610);
        Surface& s = run.surface;
        DrawStrangeAttractor(s, index);
        int row0 = 0;
        int col0 = 0;
        const auto visits = Visits(index, 483, 610, &row0, &col0);
        int drawn = 0;
        for (int y = 0; y < 610; ++y) {
            for (int x = 0; x < 483; ++x) {
                const auto it = visits.find({x, y});
                const uint32_t expected = it == visits.end() ? kWhite : 2u * it->second;
                drawn += it != visits.end();
                ASSERT_EQ(s.GetPixel(x, y), expected) << x << "," << y;
            }
        }
        EXPECT_GT(drawn, 10000);
        EXPECT_EQ(s.IterationLimit, 50000);
    }
    // The very first iterate is drawn too: (0, -1, 0) lands in row 152.
    Scene run(483, 610);
    DrawStrangeAttractor(run.surface, 0);
    const AttractorPixel first = StrangeAttractorPixel(0, {0.0, -1.0, 0.0}, 86.25, 152.5);
    EXPECT_EQ(first.row, 152);
    EXPECT_NE(run.surface.GetPixel(first.column, first.row), kWhite);
}

TEST(DrawStrangeAttractor, ColumnZeroAndRowZeroNeverDrawn) {
    // So small a picture that iterates do land on column 0 and row 0.
    Scene run(2, 8);
    DrawStrangeAttractor(run.surface, 0);
    int row0 = 0;
    int col0 = 0;
    Visits(0, 2, 8, &row0, &col0);
    ASSERT_GT(row0, 0);
    ASSERT_GT(col0, 0);
    for (int y = 0; y < 8; ++y) {
        EXPECT_EQ(run.surface.GetPixel(0, y), kWhite);
    }
    EXPECT_EQ(run.surface.GetPixel(1, 0), kWhite);
    EXPECT_NE(run.surface.Picture(), Bitmap(2, 8));
}

TEST(DrawStrangeAttractor, NoMessagesAndUnknownIndexDrawsLikeOne) {
    Scene one;
    DrawStrangeAttractor(one.surface, 1);
    Scene other;
    other.platform.onMessages = [&] { other.surface.RequestAbort(); };
    DrawStrangeAttractor(other.surface, 7);
    EXPECT_EQ(other.surface.Picture(), one.surface.Picture());
    EXPECT_EQ(other.platform.messagePoints, 0);
    EXPECT_EQ(other.platform.updates, 0);
    EXPECT_FALSE(other.surface.AbortRequested);
    EXPECT_FALSE(other.surface.RunOpen());
}

TEST(DrawStrangeAttractor, GoldenChecksums) {
    struct Case {
        int w, h, index;
        uint64_t hash;
    };
    const Case cases[] = {
        {483, 609, 0, 0xf70814a226facda7ull},
        {483, 609, 1, 0x98156721a2495f47ull},
        {640, 610, 0, 0x579484316b466f9aull},
        {640, 610, 1, 0xebcb3d8a9b79fb57ull},
    };
    for (const Case& c : cases) {
        Scene run(c.w, c.h);
        DrawStrangeAttractor(run.surface, c.index);
        EXPECT_EQ(PictureHash(run.surface.Picture()), c.hash)
            << c.w << "x" << c.h << " preset " << c.index << ": 0x" << std::hex
            << PictureHash(run.surface.Picture());
    }
}

}  // namespace
}  // namespace galleri
