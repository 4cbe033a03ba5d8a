#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "video/ZoomPath.h"

namespace galleri {
namespace {

DeepRect View(const std::string& text) {
    ParsedDeepView parsed = ParseDeepView(text);
    EXPECT_TRUE(parsed.view) << text << ": " << parsed.error;
    return *parsed.view;
}

bool Same(const DeepRect& a, const DeepRect& b) {
    return a.left == b.left && a.right == b.right && a.bottom == b.bottom && a.top == b.top;
}

// log2 |x| of a number of any exponent.
double Log2(const BigFloat& x) {
    long e = 0;
    const double m = x.Mantissa(e);
    return static_cast<double>(e) + std::log2(std::fabs(m));
}

// The path's arithmetic: the ends exactly as given, the width and height
// shrinking by the same factor every frame, and the fixed point at the same
// picture position in every frame (so the motion on screen is straight).
TEST(ZoomPath, ConstantFactorAboutAFixedPointWithExactEnds) {
    struct Case {
        const char* what;
        std::string from, to;
        int64_t frames;
    };
    const std::vector<Case> cases = {
        {"a shallow dive", "-2,1.2,-1.2,1.2", "-0.75,-0.74,0.1,0.11", 30},
        {"a dive to 1e-100 beside the edge", "-2,1.2,-1.2,1.2",
         "-0.7436438870371587047521915061147740000001,-0.7436438870371587047521915061147739999999,"
         "0.1318259042053119704931320001351389999999,0.1318259042053119704931320001351390000001",
         300},
        {"zooming out, stretched", "0.3,0.3000001,-0.5,-0.49999998", "-1,1,-1,1", 17},
        {"a pan", "0,1,0,1", "2,3,-1,0", 5},
    };
    const ViewFrame frame{64, 48, 0};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DeepRect from = View(c.from), to = View(c.to);
        const ZoomPath path(from, to, c.frames);
        ASSERT_EQ(path.Frames(), c.frames);
        EXPECT_TRUE(Same(path.At(0), from));
        EXPECT_TRUE(Same(path.At(static_cast<double>(c.frames - 1)), to));
        const double stepX = (Log2(from.right - from.left) - Log2(to.right - to.left)) /
                             static_cast<double>(c.frames - 1);
        const double stepY = (Log2(from.top - from.bottom) - Log2(to.top - to.bottom)) /
                             static_cast<double>(c.frames - 1);
        EXPECT_NEAR(path.Log2StepX(), stepX, 1e-12);
        EXPECT_NEAR(path.Log2StepY(), stepY, 1e-12);
        const std::optional<PicturePoint> fixed = path.FixedPoint(frame);
        EXPECT_EQ(fixed.has_value(), stepX != 0);
        DeepRect previous = from;
        for (int64_t k = 1; k < c.frames; ++k) {
            const DeepRect now = path.At(static_cast<double>(k));
            EXPECT_NEAR(Log2(previous.right - previous.left) - Log2(now.right - now.left), stepX,
                        1e-9)
                << k;
            EXPECT_NEAR(Log2(previous.top - previous.bottom) - Log2(now.top - now.bottom), stepY,
                        1e-9)
                << k;
            if (fixed) {
                // P, from the ends alone: edge0 + (edge1 - edge0) / (1 - R),
                // lies at the same position of every frame.
                constexpr long kBits = 4096;
                const auto point = [&](const BigFloat& a0, const BigFloat& a1, const BigFloat& w0,
                                       const BigFloat& w1) {
                    const BigFloat one(1, kBits);
                    return a0.WithPrecision(kBits) +
                           (a1.WithPrecision(kBits) - a0) / (one - w1.WithPrecision(kBits) / w0);
                };
                const BigFloat pRe =
                    point(from.left, to.left, from.right - from.left, to.right - to.left);
                const BigFloat pIm =
                    point(from.top, to.top, from.top - from.bottom, to.top - to.bottom);
                const auto x = [&](const DeepRect& r) {
                    return ((pRe - r.left) / (r.right.WithPrecision(kBits) - r.left) *
                            BigFloat(64, kBits))
                        .ToDouble();
                };
                const auto y = [&](const DeepRect& r) {
                    return ((r.top.WithPrecision(kBits) - pIm) /
                            (r.top.WithPrecision(kBits) - r.bottom) * BigFloat(48, kBits))
                        .ToDouble();
                };
                EXPECT_NEAR(x(now), fixed->x, 1e-9) << k;
                EXPECT_NEAR(y(now), fixed->y, 1e-9) << k;
            } else {
                // A pan: the same step every frame.
                EXPECT_NEAR((now.left - previous.left).ToDouble(),
                            (to.left - from.left).ToDouble() / static_cast<double>(c.frames - 1),
                            1e-12);
            }
            previous = now;
        }
    }
}

TEST(ZoomPath, LevelsStartAtEveryDoubling) {
    for (const double log2Step : {0.3, -0.3, 1.7, 1.0 / 3}) {
        for (int64_t level = 1; level < 50; ++level) {
            const double start = ZoomLevelStart(level, log2Step);
            EXPECT_EQ(ZoomLevel(start, log2Step), level) << log2Step;
            EXPECT_EQ(ZoomLevel(start - 1e-6, log2Step), level - 1) << log2Step << " " << level;
        }
    }
}

}  // namespace
}  // namespace galleri
