#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "geometry/GeometryTestSupport.h"
#include "geometry/KochSnowflake.h"

namespace galleri {
namespace {

using testing::Canvas;
using testing::PictureHash;
using testing::SegmentLog;

struct Corner {
    int32_t x, y;
    bool operator==(const Corner&) const = default;
};

TEST(KochSnowflake, GenerationOneIsASixPointedStar) {
    Canvas c(483, 609);
    SegmentLog log;
    const auto sink = log.Sink(c.surface);
    KochSide(c.surface, -150, -75, 0, 185, 1, sink);
    KochSide(c.surface, 0, 185, 150, -75, 1, sink);
    KochSide(c.surface, 150, -75, -150, -75, 1, sink);
    ASSERT_EQ(log.segments.size(), 12u);

    std::vector<Corner> path;
    for (const auto& s : log.segments) {
        if (!path.empty()) {
            EXPECT_EQ(path.back(), (Corner{s.x1, s.y1}));  // a closed, connected path
        }
        path.push_back({s.x2, s.y2});
        EXPECT_EQ(s.colour, 15u);
    }
    // Inner corner, outer point, inner corner, triangle corner: side by side.
    const std::vector<Corner> expected = {
        {-100, 12}, {-150, 98}, {-50, 98},  {0, 185},    // side 0
        {50, 98},   {150, 98},  {100, 12},  {150, -75},  // side 1
        {50, -75},  {0, -162},  {-50, -75}, {-150, -75}  // side 2: its bump points down
    };
    EXPECT_EQ(path, expected);
}

TEST(KochSnowflake, DepthMultipliesSegmentsByFour) {
    Canvas c(483, 609);
    for (int32_t depth = 1; depth <= 4; ++depth) {
        SegmentLog log;
        KochSide(c.surface, 150, -75, -150, -75, depth, log.Sink(c.surface));
        EXPECT_EQ(log.segments.size(), std::size_t{1} << (2 * depth));
        const auto& s = log.segments.front();
        EXPECT_EQ(s.x1, 150);
        EXPECT_EQ(s.y1, -75);
    }
}

TEST(KochSnowflake, GenerationsInOrderOverOneRun) {
    Canvas c(483, 609);
    SegmentLog log;
    DrawKochSnowflake(c.surface, log.Sink(c.surface));
    // 3 * (4 + 16 + 64 + 256 + 1024).
    ASSERT_EQ(log.segments.size(), 4092u);
    // Generation 1 comes first, side 0 first within it.
    EXPECT_EQ(log.segments[0].x1, -150);
    EXPECT_EQ(log.segments[0].x2, -100);
    EXPECT_EQ(log.segments[11].x2, -150);
    EXPECT_EQ(log.segments[11].y2, -75);
    EXPECT_EQ(log.segments[12].x1, -150);  // generation 2 starts over at side 0
    EXPECT_EQ(log.segments[12].y1, -75);
    for (const auto& s : log.segments) {
        ASSERT_EQ(s.penWidth, 2);
    }
    EXPECT_FALSE(c.surface.RunOpen());
    EXPECT_EQ(c.surface.PenWidth, 2);
}

TEST(KochSnowflake, Pictures) {
    Canvas c(483, 609);
    DrawKochSnowflake(c.surface);
    const Bitmap& p = c.surface.Picture();
    // The lines are 2 pixels wide (3-pixel spans) in colour 15; the centre
    // stays white.
    EXPECT_EQ(p.Get(241, 305), kWhite);
    EXPECT_EQ(PictureHash(p), 1720333342263845187u);

    Canvas other(640, 480);
    DrawKochSnowflake(other.surface);
    EXPECT_EQ(PictureHash(other.surface.Picture()), 3312031904226126384u);
}

}  // namespace
}  // namespace galleri
