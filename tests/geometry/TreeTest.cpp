#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "geometry/GeometryTestSupport.h"
#include "geometry/Tree.h"
#include "surface/Turtle.h"

namespace galleri {
namespace {

using testing::Canvas;
using testing::PictureHash;
using testing::Segment;
using testing::SegmentLog;

// Index of segments in drawing order: the trunk, then the left crown
// (2^12 - 1 branches, depth-first, left first), then the right crown.
constexpr std::size_t kCrown = 4095;
constexpr std::size_t kLeft = 1;
constexpr std::size_t kRight = 1 + kCrown;

std::vector<Segment> TreeSegments(Surface& s) {
    SegmentLog log;
    DrawTree(s, log.Sink(s));
    return log.segments;
}

TEST(Tree, TrunkAndFirstForks) {
    Canvas c(483, 609);
    const auto seg = TreeSegments(c.surface);
    ASSERT_EQ(seg.size(), 1 + 2 * kCrown);
    EXPECT_EQ(seg[0], (Segment{0, -235, 0, -205, 6, 12, 0}));

    // First left branch at heading 90 + 12, first right one at 90 - 9.
    EXPECT_EQ(seg[kLeft].heading, 102.0);
    EXPECT_EQ(seg[kRight].heading, 81.0);
    const double rad = 0.017453292;
    for (std::size_t i : {kLeft, kRight}) {
        EXPECT_EQ(seg[i].x1, 0);
        EXPECT_EQ(seg[i].y1, -205);
        EXPECT_EQ(seg[i].x2, static_cast<int32_t>(30 * std::cos(seg[i].heading * rad)));
        EXPECT_EQ(seg[i].y2, static_cast<int32_t>(-205 + 30 * std::sin(seg[i].heading * rad)));
    }
    // Truncated towards zero: the left branch ends at about (-6.24, -175.66).
    EXPECT_EQ(seg[kLeft].x2, -6);
    EXPECT_EQ(seg[kLeft].y2, -175);
    EXPECT_EQ(seg[kRight].x2, 4);
    EXPECT_EQ(seg[kRight].y2, -175);
}

TEST(Tree, ThicknessChain) {
    Canvas c(483, 609);
    const auto seg = TreeSegments(c.surface);
    // Branches in the subtree of a branch of generation g (1 to 12), itself
    // included.
    auto subtree = [](int g) { return (std::size_t{1} << (13 - g)) - 1; };
    const std::size_t ll = kLeft + 1;
    const std::size_t lr = ll + subtree(2);
    const std::size_t rl = kRight + 1;
    const std::size_t rr = rl + subtree(2);
    EXPECT_EQ(seg[kLeft].penWidth, 6);
    EXPECT_EQ(seg[kRight].penWidth, 5);
    EXPECT_EQ(seg[ll].penWidth, 3);
    EXPECT_EQ(seg[lr].penWidth, 2);
    EXPECT_EQ(seg[rl].penWidth, 2);
    EXPECT_EQ(seg[rr].penWidth, 2);
    for (std::size_t third : {ll + 1, lr + 1, rl + 1, rr + 1, ll + 1 + subtree(3)}) {
        EXPECT_EQ(seg[third].penWidth, 1) << third;
    }
    // From the fourth fork on, every branch is thinner than 1.
    int wide = 0;
    for (const Segment& s : seg) {
        wide += s.penWidth > 0;
    }
    EXPECT_EQ(wide, 1 + 2 * (1 + 2 + 4));
    EXPECT_EQ(c.surface.PenWidth, 0);
}

TEST(Tree, LastThreeGenerationsInTheOtherColour) {
    Canvas c(483, 609);
    const auto seg = TreeSegments(c.surface);
    const auto twigs =
        std::count_if(seg.begin(), seg.end(), [](const Segment& s) { return s.colour == 10; });
    const auto wood =
        std::count_if(seg.begin(), seg.end(), [](const Segment& s) { return s.colour == 6; });
    EXPECT_EQ(twigs, 2 * (512 + 1024 + 2048));
    EXPECT_EQ(wood, 1 + 2 * 511);
    // Depth-first: the first twig is the tenth branch up the left edge.
    EXPECT_EQ(seg[9].colour, 6u);
    EXPECT_EQ(seg[10].colour, 10u);
}

TEST(Tree, ExtentOfTheTips) {
    Canvas c(483, 609);
    const auto seg = TreeSegments(c.surface);
    int32_t left = INT32_MAX, right = INT32_MIN, low = INT32_MAX, high = INT32_MIN;
    for (std::size_t i = 1; i < seg.size(); ++i) {
        if (seg[i].colour != 10) {
            continue;
        }
        left = std::min(left, seg[i].x2);
        right = std::max(right, seg[i].x2);
        low = std::min(low, seg[i].y2);
        high = std::max(high, seg[i].y2);
    }
    // The outer generations: leaning left, the lowest ends about y = -148.
    EXPECT_NEAR(left, -292, 2);
    EXPECT_NEAR(right, 265, 2);
    EXPECT_NEAR(high, 153, 2);
    EXPECT_NEAR(low, -148, 2);
}

TEST(Tree, BranchTruncatesTowardsZeroAndChecksThePen) {
    Canvas c(483, 609);
    SegmentLog log;
    c.surface.TurtleHeading = 90;
    TreeBranch(c.surface, -3.7, 12.9, 1.9, 1, log.Sink(c.surface));
    ASSERT_EQ(log.segments.size(), 1u);
    EXPECT_EQ(log.segments[0].x1, -3);
    EXPECT_EQ(log.segments[0].y1, 12);
    EXPECT_EQ(log.segments[0].x2, -3);  // -3.7 plus a hair
    EXPECT_EQ(log.segments[0].y2, 42);
    EXPECT_EQ(log.segments[0].penWidth, 1);
    EXPECT_EQ(log.segments[0].colour, 10u);

    c.surface.TurtleHeading = 90;
    TreeBranch(c.surface, 0, 0, 127.9, 1, log.Sink(c.surface));
    EXPECT_EQ(c.surface.PenWidth, 127);
    c.surface.TurtleHeading = 90;
    EXPECT_THROW(TreeBranch(c.surface, 0, 0, 128, 1, log.Sink(c.surface)), RangeError);
    EXPECT_THROW(TreeBranch(c.surface, 0, 0, -129, 1, log.Sink(c.surface)), RangeError);
}

TEST(Tree, Pictures) {
    Canvas c(483, 609);
    DrawTree(c.surface);
    // The trunk: 12 thick, so 13 pixels wide, from row 305 + 170 up to 305 + 149.
    const Bitmap& p = c.surface.Picture();
    EXPECT_EQ(p.Get(241 - 6, 470), 6u);
    EXPECT_EQ(p.Get(241 + 6, 470), 6u);
    EXPECT_EQ(p.Get(241 + 7, 470), kWhite);
    EXPECT_EQ(PictureHash(p), 15037936222749198804u);

    Canvas other(800, 600);
    DrawTree(other.surface);
    EXPECT_EQ(PictureHash(other.surface.Picture()), 10339267859737651462u);
}

}  // namespace
}  // namespace galleri
