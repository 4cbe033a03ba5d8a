// Views below a double's floor: the deep gestures against the double ones,
// the transition both ways, the zoom text at any depth, and the automatic
// iteration budget.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "view/AutoBudget.h"
#include "view/ExploreView.h"

namespace galleri {
namespace {

double Ulps(double a, double b, double scale) {
    return std::fabs(a - b) / (std::nextafter(scale, INFINITY) - scale);
}

// Each deep gesture from a view of doubles lands where the double gesture
// does, to the double's rounding; a mirrored view stays mirrored.
TEST(DeepGeometry, GesturesAgreeWithTheDoubleOnesAboveTheFloor) {
    const ViewFrame frame{200, 150, 0}, dragon{200, 150, 1};
    const PlaneRect views[] = {{-2.25, 0.75, -1.5, 1.5}, {0.75, -2.25, 1.5, -1.5}};
    for (const PlaneRect& v : views) {
        for (const ViewFrame& f : {frame, dragon}) {
            const DeepRect d = ToDeepRect(v);
            const struct {
                const char* name;
                PlaneRect doubles;
                DeepRect deep;
            } cases[] = {
                {"zoom", ZoomAbout(v, f, {37.5, 101.25}, 1.41),
                 DeepZoomAbout(d, f, {37.5, 101.25}, 1.41)},
                {"pan", PanByPixels(v, f, 13.5, -7), DeepPanByPixels(d, f, 13.5, -7)},
                {"eighths", PanByEighths(v, -1, 2), DeepPanByEighths(d, -1, 2)},
                {"drag", DragView(v, f, {20, 30}, {120, 105}),
                 DeepDragView(d, f, {20, 30}, {120, 105})},
                {"square", SquarePixels(v, f), DeepSquarePixels(d, f)},
            };
            for (const auto& c : cases) {
                const PlaneRect r = ExploreView(c.deep).plane;
                const double scale = std::fabs(v.right - v.left);
                EXPECT_LE(Ulps(r.left, c.doubles.left, scale), 4) << c.name;
                EXPECT_LE(Ulps(r.right, c.doubles.right, scale), 4) << c.name;
                EXPECT_LE(Ulps(r.bottom, c.doubles.bottom, scale), 4) << c.name;
                EXPECT_LE(Ulps(r.top, c.doubles.top, scale), 4) << c.name;
            }
        }
    }
}

// Zooming 2^3000 times into a point: at every step the point under the
// cursor stays there, the numbers carry the bits the depth needs and no
// more, the text reads back to the very view, and zooming out again comes
// back to the doubles it started from.
TEST(DeepGeometry, ZoomsToAnyDepthAndBack) {
    const ViewFrame frame{160, 120, 0};
    const PicturePoint cursor{47, 83};
    const PlaneRect own{-2.25, 0.75, -1.5, 1.5};
    DeepRect view = ToDeepRect(own);
    for (int k = 0; k < 100; ++k) {
        const auto [re0, im0] = DeepPictureToPlane(view, frame, cursor);
        view = DeepZoomAbout(view, frame, cursor, 0x1p30);
        const auto [re, im] = DeepPictureToPlane(view, frame, cursor);
        const BigFloat width = (view.right - view.left).Abs();
        ASSERT_LT(((re - re0).Abs() / width).ToDouble(), 1e-9) << k;
        ASSERT_LT(((im - im0).Abs() / width).ToDouble(), 1e-9) << k;
    }
    ASSERT_FALSE(DeepViewRefusal(view));
    EXPECT_EQ((view.right - view.left).Exponent(), -2998);  // 3 x 2^-3000
    EXPECT_LT(view.left.Precision(), 3000 + 128);
    const ParsedDeepView back = ParseDeepView(FormatDeepView(view));
    ASSERT_TRUE(back.view);
    EXPECT_TRUE(SameView(ExploreView(*back.view), ExploreView(view)));
    EXPECT_EQ(ZoomText(ExploreView(view), own), "x 1.2e903");
    for (int k = 0; k < 100; ++k) {
        view = DeepZoomAbout(view, frame, cursor, 0x1p-30);
    }
    const PlaneRect home = ExploreView(view).plane;
    EXPECT_NEAR(home.left, own.left, 1e-9);
    EXPECT_NEAR(home.top, own.top, 1e-9);
}

// The status line's point has the digits its depth needs and no more.
TEST(DeepGeometry, PointsPrintWithTheDigitsTheDepthNeeds) {
    const ViewFrame frame{200, 100, 0};
    EXPECT_EQ(FormatPlanePoint(ExploreView(PlaneRect{-2, 2, -1, 1}), frame, {50, 25}), "-1 + 0.5i");
    EXPECT_EQ(FormatPlanePoint(ExploreView(PlaneRect{-2, 2, -1, 1}), frame, {51, 25}),
              "-0.98 + 0.5i");
    const ParsedDeepView deep = ParseDeepView(
        "-0.75,-0.7499999999999999999999999999998,0.1,0.1000000000000000000000000000001");
    ASSERT_TRUE(deep.view);
    const std::string text = FormatPlanePoint(ExploreView(*deep.view), frame, {1, 1});
    // Pixels 1e-33 apart: one pixel from the corner shows in the last digit.
    EXPECT_EQ(text, "-0.749999999999999999999999999999999 + 0.100000000000000000000000000000099i");
}

TEST(DeepGeometry, RefusesViewsThatCannotBeDrawn) {
    const BigFloat one(1.0, 64), two(2.0, 64);
    EXPECT_TRUE(DeepViewRefusal({one, one, one, two}));
    EXPECT_TRUE(DeepViewRefusal({one, two, two, two}));
    EXPECT_FALSE(DeepViewRefusal({one, two, one, two}));
    EXPECT_EQ(ZoomText(ExploreView(PlaneRect{-2, 1, -1, 1}), {-2, 1, -1, 1}), "x 1");
}

TEST(AutoBudget, RisesWhilePointsUseItAllAndFallWhenNoneComeNear) {
    const struct {
        BudgetEvidence evidence;
        int64_t next;
    } cases[] = {
        {{1000, 10000, 500, 100, 990}, 2000},  // detail past the budget: double it
        {{1000, 10000, 500, 99, 990}, 1000},   // under a hundredth near it: stay
        {{1000, 10000, 0, 5000, 990}, 1000},   // nothing uses it all: raising shows nothing
        {{1000, 10000, 99, 5000, 990}, 1000},  // under a hundredth use it all
        {{4000, 10000, 300, 0, 400}, 2000},    // no point near it: halve
        {{1000, 10000, 300, 0, 40}, 1000},     // never below the figure's own
        {{800000000, 10000, 500, 500, 700000000}, 1000000000},  // nor above the most
        {{4000, 10000, 10000, 0, -1}, 8000},                    // nothing escapes: raise
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NextBudget(c.evidence, 1000, 1000000000), c.next)
            << c.evidence.budget << " " << c.evidence.nearBudget;
    }
}

}  // namespace
}  // namespace galleri
