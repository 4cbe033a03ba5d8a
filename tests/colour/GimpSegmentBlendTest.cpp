#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "colour/GimpSegmentBlend.h"

namespace galleri {
namespace {

TEST(PaletteGimpBlend, CurvesMeetAtTheirEndsAndMiddle) {
    struct Case {
        GimpBlend blend;
        double middle, pos, factor;
    };
    const std::vector<Case> cases = {
        {GimpBlend::kLinear, 0.5, 0.0, 0.0},
        {GimpBlend::kLinear, 0.5, 1.0, 1.0},
        {GimpBlend::kLinear, 0.2, 0.2, 0.5},
        {GimpBlend::kLinear, 0.2, 0.1, 0.25},
        {GimpBlend::kLinear, 0.2, 0.6, 0.75},
        {GimpBlend::kLinear, 0.0, 0.0, 0.0},
        {GimpBlend::kLinear, 1.0, 1.0, 0.5},
        {GimpBlend::kCurved, 0.25, 0.25, 0.5},
        {GimpBlend::kCurved, 0.25, 1.0, 1.0},
        {GimpBlend::kCurved, 0.5, 0.3, 0.3},
        {GimpBlend::kSine, 0.5, 0.25, (1.0 - std::sqrt(0.5)) / 2.0},
        {GimpBlend::kSine, 0.5, 0.5, 0.5},
        {GimpBlend::kSine, 0.5, 1.0, 1.0},
        {GimpBlend::kSphereIncreasing, 0.5, 0.25, std::sqrt(1.0 - 0.75 * 0.75)},
        {GimpBlend::kSphereIncreasing, 0.5, 1.0, 1.0},
        {GimpBlend::kSphereDecreasing, 0.5, 0.25, 1.0 - std::sqrt(1.0 - 0.25 * 0.25)},
        {GimpBlend::kSphereDecreasing, 0.5, 0.0, 0.0},
        {GimpBlend::kStep, 0.3, 0.29, 0.0},
        {GimpBlend::kStep, 0.3, 0.3, 1.0},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(GimpBlendFactor(c.blend, c.middle, c.pos), c.factor, 1e-12)
            << static_cast<int>(c.blend) << " " << c.middle << " " << c.pos;
    }
    // Where the curve has no exponent (middle 0 or 1) it stays a number.
    for (double middle : {0.0, 1.0}) {
        for (double pos : {0.0, 0.5, 1.0}) {
            const double f = GimpBlendFactor(GimpBlend::kCurved, middle, pos);
            EXPECT_TRUE(f >= 0.0 && f <= 1.0) << middle << " " << pos;
        }
    }
}

}  // namespace
}  // namespace galleri
