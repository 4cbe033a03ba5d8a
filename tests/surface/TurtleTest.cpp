#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "surface/HeadlessPlatform.h"
#include "surface/Surface.h"
#include "surface/Turtle.h"

namespace galleri {
namespace {

TEST(Turtle, ConversionConstantsAreTheShortDecimals) {
    EXPECT_NE(kRadiansPerDegree, std::numbers::pi / 180);
    EXPECT_NE(kDegreesPerRadian, 180 / std::numbers::pi);
    EXPECT_EQ(kRadiansPerDegree, 0.017453292);
    EXPECT_EQ(kDegreesPerRadian, 57.295779);
}

TEST(Bearing, QuadrantsAndVerticals) {
    const double diagonal = std::atan(1.0) * 57.295779;
    EXPECT_LT(diagonal, 45.0);
    EXPECT_GT(diagonal, 44.9999);
    EXPECT_EQ(Bearing(0, 0, 1, 1), diagonal);
    EXPECT_EQ(Bearing(0, 0, -1, 1), 180 - diagonal);
    EXPECT_GT(Bearing(0, 0, -1, 1), 135.0);
    EXPECT_EQ(Bearing(0, 0, 1, -1), -diagonal);
    EXPECT_EQ(Bearing(0, 0, -1, -1), 180 + diagonal);
    EXPECT_EQ(Bearing(0, 0, 0, 5), 90.0);
    EXPECT_EQ(Bearing(0, 0, 0, -5), 270.0);
    EXPECT_EQ(Bearing(0, 0, 0, 0), 270.0);
    EXPECT_EQ(Bearing(3, 4, 7, 4), 0.0);
    EXPECT_EQ(Bearing(7, 4, 3, 4), 180.0);
}

struct TurtleFixture : ::testing::Test {
    HeadlessPlatform platform{100, 100};
    Surface s{platform};
};

TEST_F(TurtleFixture, ForwardAlongShortDecimalHeading) {
    s.TurtleHeading = 90;
    s.TurtleStep = 10;
    TurtleForward(s);
    // 90 * 0.017453292 is a little less than pi/2.
    EXPECT_LT(s.TurtleY, 10.0);
    EXPECT_GT(s.TurtleY, 9.999999);
    EXPECT_GT(s.TurtleX, 0.0);
    EXPECT_LT(s.TurtleX, 1e-5);
    EXPECT_EQ(s.TurtleX, 10 * std::cos(90 * 0.017453292));
}

TEST_F(TurtleFixture, ForwardAddsToThePosition) {
    s.TurtleX = 5;
    s.TurtleY = -3;
    s.TurtleStep = 2;
    s.TurtleHeading = 180;
    TurtleForward(s);
    EXPECT_NEAR(s.TurtleX, 3, 1e-6);
    EXPECT_NEAR(s.TurtleY, -3, 1e-6);
    EXPECT_EQ(s.TurtleStep, 2);
    EXPECT_EQ(s.TurtleHeading, 180);
}

TEST_F(TurtleFixture, HeadingsAreNeverWrapped) {
    TurtleTurn(s, 60);
    TurtleTurn(s, -120);
    EXPECT_EQ(s.TurtleHeading, -60);
    s.TurtleHeading = 350;
    TurtleTurn(s, 20);
    EXPECT_EQ(s.TurtleHeading, 370);
}

}  // namespace
}  // namespace galleri
