#include <gtest/gtest.h>

#include <cmath>

#include "geometry/Breastplate.h"
#include "geometry/GeometryTestSupport.h"
#include "surface/Random.h"

namespace galleri {
namespace {

using testing::Canvas;
using testing::InkedPixels;
using testing::PictureHash;

constexpr double kCy = -220;

TEST(Breastplate, StripEdgesBecomeTheBoundaryCircles) {
    const auto column = BreastplateColumn(0);
    const PatternCircle& big = column[0];
    EXPECT_EQ(big.x, 0);
    // Near edge at distance 400000 / 440 from the centre of inversion, far
    // edge at 400000 / 280.
    EXPECT_DOUBLE_EQ(big.y - big.r, kCy + 400000.0 / 440);
    EXPECT_DOUBLE_EQ(big.y + big.r, kCy + 400000.0 / 280);
    EXPECT_EQ(InvertedPoint(0, big.y - big.r), (LogicalPoint{0, -220}));
    EXPECT_EQ(InvertedPoint(0, big.y + big.r), (LogicalPoint{0, -60}));
    // Far along the strip the images close in on the touching point (0, 220).
    const LogicalPoint far = InvertedPoint(1e7, big.y);
    EXPECT_NEAR(far.x, 0, 1);
    EXPECT_NEAR(far.y, 220, 1);
}

TEST(Breastplate, ColumnZeroCirclesTwoAndThreeTouchOnTheAxis) {
    const auto column = BreastplateColumn(0);
    const PatternCircle& lower = column[1];
    const PatternCircle& upper = column[2];
    EXPECT_EQ(lower.x, 0);
    EXPECT_EQ(upper.x, 0);
    EXPECT_DOUBLE_EQ(lower.y + lower.r, upper.y - upper.r);
    EXPECT_EQ(InvertedPoint(0, lower.y - lower.r), (LogicalPoint{0, -220}));
    EXPECT_EQ(InvertedPoint(0, upper.y + upper.r), (LogicalPoint{0, -60}));
    const LogicalPoint contact = InvertedPoint(0, lower.y + lower.r);
    EXPECT_EQ(contact.x, 0);
    EXPECT_GT(contact.y, -220);
    EXPECT_LT(contact.y, -60);
}

TEST(Breastplate, ColumnsRepeatTheSamePatternShifted) {
    const auto first = BreastplateColumn(0);
    const auto fifth = BreastplateColumn(4);
    const double spacing = first[0].r * std::sqrt(2.0);
    for (std::size_t k = 0; k < first.size(); ++k) {
        EXPECT_DOUBLE_EQ(fifth[k].x - first[k].x, 4 * spacing);
        EXPECT_EQ(fifth[k].y, first[k].y);
        EXPECT_EQ(fifth[k].r, first[k].r);
    }
}

// Logical y of a pixel row in a 609-high picture, as a real number (inverse
// of the 93/128 scaling).
double LogicalY(int row) {
    return (305 - row) * 128.0 / 93.0;
}

TEST(Breastplate, ColumnZeroCircleOneIsTheCircleAboutMinus140) {
    Canvas c(483, 609);
    c.surface.ClearAndBegin();
    c.surface.PenWidth = 1;
    const PatternCircle big = BreastplateColumn(0)[0];
    InvertedCircle(c.surface, big.x, big.y, big.r, 77);
    const Bitmap& p = c.surface.Picture();
    int inked = 0;
    for (int row = 0; row < p.Height(); ++row) {
        for (int col = 0; col < p.Width(); ++col) {
            if (p.Get(col, row) == 77) {
                ++inked;
                const double r = std::hypot(col - 241, LogicalY(row) + 140);
                ASSERT_NEAR(r, 80, 2.5) << col << "," << row;
            }
        }
    }
    EXPECT_GT(inked, 300);
    // Its lowest and highest points on the axis: rows of y = -220 and -60.
    EXPECT_EQ(p.Get(241, 305 + 159), 77u);
    EXPECT_EQ(p.Get(241, 305 + 43), 77u);
}

TEST(Breastplate, NoRingsWithoutPen) {
    Canvas c(483, 609);
    c.surface.ClearAndBegin();
    c.surface.PenWidth = 0;
    InvertedCircle(c.surface, 0, 800, 100, 77);
    EXPECT_TRUE(InkedPixels(c.surface.Picture()).empty());
}

TEST(Breastplate, BoundaryCirclesTouchAtTheTop) {
    Canvas c(483, 609);
    DrawBreastplate(c.surface);
    const Bitmap& p = c.surface.Picture();
    // Both circles reach logical y = 220 (row 305 - 159) in the ellipse's
    // centre column 242, and nothing lies above it.
    EXPECT_EQ(p.Get(242, 146), 255u);
    EXPECT_EQ(p.Get(242, 145), kWhite);
    for (int row = 0; row < 146; ++row) {
        for (int col = 0; col < p.Width(); ++col) {
            ASSERT_EQ(p.Get(col, row), kWhite) << col << "," << row;
        }
    }
    EXPECT_EQ(c.surface.PenWidth, 1);
    EXPECT_FALSE(c.surface.RunOpen());
}

TEST(Breastplate, RunTwiceSameShapesOtherColours) {
    Canvas c(483, 609);
    DrawBreastplate(c.surface);
    const Bitmap first = c.surface.Picture();
    DrawBreastplate(c.surface);
    const Bitmap second = c.surface.Picture();
    EXPECT_EQ(InkedPixels(first), InkedPixels(second));
    EXPECT_NE(first, second);
    // The boundary circles keep their red.
    EXPECT_EQ(second.Get(242, 146), 255u);
}

TEST(Breastplate, DrawsTwoRandomColoursPerPatternCircle) {
    Canvas c(483, 609);
    DrawBreastplate(c.surface);
    RandomGenerator reference;
    for (int i = 0; i < 520; ++i) {
        reference.Next(0xFFFFFF);
    }
    EXPECT_EQ(Random(c.surface, 1 << 30), reference.Next(1 << 30));
}

TEST(Breastplate, PairUsesFreshColoursAndMirrors) {
    Canvas c(483, 609);
    c.surface.ClearAndBegin();
    c.surface.PenWidth = 1;
    RandomGenerator reference;
    const auto right = 1 + static_cast<uint32_t>(reference.Next(0xFFFFFF));
    const auto left = 1 + static_cast<uint32_t>(reference.Next(0xFFFFFF));
    const PatternCircle circle = BreastplateColumn(1)[0];
    InvertedCirclePair(c.surface, circle.x, circle.y, circle.r);
    const Bitmap& p = c.surface.Picture();
    // Plot's column of logical x is x + 241: mirror pixels are 482 - col.
    int rightInked = 0;
    for (int row = 0; row < p.Height(); ++row) {
        for (int col = 242; col < p.Width(); ++col) {
            if (p.Get(col, row) == right) {
                ++rightInked;
                EXPECT_EQ(p.Get(482 - col, row), left) << col << "," << row;
            }
        }
    }
    EXPECT_GT(rightInked, 100);
}

TEST(Breastplate, PicturesAsFirstDrawingAfterStart) {
    Canvas c(483, 609);
    DrawBreastplate(c.surface);
    EXPECT_EQ(PictureHash(c.surface.Picture()), 6218444636134447280u);
    Canvas other(640, 700);
    DrawBreastplate(other.surface);
    EXPECT_EQ(PictureHash(other.surface.Picture()), 18011153567812799270u);
}

}  // namespace
}  // namespace galleri
