#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "geometry/GeometryTestSupport.h"
#include "geometry/Snowflake13.h"

namespace galleri {
namespace {

using testing::Canvas;
using testing::PictureHash;
using testing::Segment;
using testing::SegmentLog;

struct Corner {
    int32_t x, y;
    bool operator==(const Corner&) const = default;
};

std::vector<Segment> Segments(Surface& s, double x1, double y1, double x2, double y2, int32_t depth,
                              int32_t flip, int32_t orientation) {
    SegmentLog log;
    Snowflake13Side(s, x1, y1, x2, y2, depth, flip, orientation, log.Sink(s));
    return log.segments;
}

TEST(Snowflake13, GenerationOnePath) {
    Canvas c(483, 609);
    const auto segments = Segments(c.surface, -125, 0, 125, 0, 1, 0, +1);
    ASSERT_EQ(segments.size(), 13u);
    std::vector<Corner> path = {{segments[0].x1, segments[0].y1}};
    for (const auto& s : segments) {
        EXPECT_EQ(path.back(), (Corner{s.x1, s.y1}));
        path.push_back({s.x2, s.y2});
        EXPECT_EQ(s.colour, 240u);
    }
    const std::vector<Corner> expected = {{-125, 0}, {-83, 72}, {-42, 144}, {42, 144}, {83, 72},
                                          {42, 96},  {0, 120},  {-42, 96},  {-42, 48}, {42, 48},
                                          {0, 24},   {-42, 0},  {42, 0},    {125, 0}};
    EXPECT_EQ(path, expected);
}

TEST(Snowflake13, FlipEqualsNegatedOrientation) {
    Canvas c(483, 609);
    for (int32_t depth = 1; depth <= 2; ++depth) {
        for (int32_t s : {+1, -1}) {
            const auto flipped = Segments(c.surface, -40, 10, 90, 55, depth, 1, s);
            const auto negated = Segments(c.surface, -40, 10, 90, 55, depth, 0, -s);
            // Headings differ by whole turns at most; compare the geometry.
            ASSERT_EQ(flipped.size(), negated.size());
            for (std::size_t i = 0; i < flipped.size(); ++i) {
                EXPECT_EQ(flipped[i].x1, negated[i].x1);
                EXPECT_EQ(flipped[i].y1, negated[i].y1);
                EXPECT_EQ(flipped[i].x2, negated[i].x2);
                EXPECT_EQ(flipped[i].y2, negated[i].y2);
            }
        }
    }
    // Negating the orientation mirrors generation 1 in the base line.
    const auto down = Segments(c.surface, -125, 0, 125, 0, 1, 1, +1);
    EXPECT_EQ(down[1].y1, -72);
    EXPECT_EQ(down[2].y1, -144);
}

TEST(Snowflake13, GenerationsAndTheirExtent) {
    Canvas c(483, 609);
    SegmentLog log;
    DrawSnowflake13(c.surface, log.Sink(c.surface));
    // 13 + 169 + 2197 segments, generation 1 first.
    ASSERT_EQ(log.segments.size(), 2379u);
    EXPECT_EQ(log.segments[12].x2, 125);
    EXPECT_EQ(log.segments[13].x1, -125);

    // Lowest and highest y of a run of segments, which stay within the band
    // of the base.
    auto yRange = [](auto first, auto last) {
        std::pair<int32_t, int32_t> range{INT32_MAX, INT32_MIN};
        for (auto it = first; it != last; ++it) {
            range.first = std::min({range.first, it->y1, it->y2});
            range.second = std::max({range.second, it->y1, it->y2});
            EXPECT_GE(std::min(it->x1, it->x2), -125);
            EXPECT_LE(std::max(it->x1, it->x2), 125);
        }
        return range;
    };
    const auto second = yRange(log.segments.begin() + 13, log.segments.begin() + 182);
    EXPECT_NEAR(second.first, -48, 1);
    EXPECT_NEAR(second.second, 192, 1);
    const auto third = yRange(log.segments.begin() + 182, log.segments.end());
    EXPECT_NEAR(third.first, -64, 1);
    EXPECT_NEAR(third.second, 208, 1);
    EXPECT_EQ(c.surface.PenWidth, 1);
}

TEST(Snowflake13, Pictures) {
    Canvas c(483, 609);
    DrawSnowflake13(c.surface);
    // The base line's left end: x = -125 + 241, y = 0 at row 305; the start
    // point of a line itself is not set, the next pixel is.
    EXPECT_EQ(c.surface.Picture().Get(117, 305), 240u);
    EXPECT_EQ(PictureHash(c.surface.Picture()), 8012348680955902438u);

    Canvas other(640, 480);
    DrawSnowflake13(other.surface);
    EXPECT_EQ(PictureHash(other.surface.Picture()), 2091923087302877741u);
}

}  // namespace
}  // namespace galleri
