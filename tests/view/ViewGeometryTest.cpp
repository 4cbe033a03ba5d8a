#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "escape/MandelDragon.h"
#include "escape/Mandelbrot.h"
#include "surface/Errors.h"
#include "view/PrecisionFloor.h"
#include "view/ViewGeometry.h"
#include "view/ViewHistory.h"

namespace galleri {
namespace {

// Views to explore from: plain, mirrored ("m_13"), a divisor one larger
// (mandeldragon) and a deep one.
struct Case {
    const char* name;
    PlaneRect view;
    ViewFrame frame;
};

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        {"m_1", MandelbrotFigure(0).own, {483, 609, 0}},
        {"m_13 mirrored", MandelbrotFigure(12).own, {483, 609, 0}},
        {"mandeldragon", MandelDragonFigure().own, {200, 150, 1}},
        {"deep",
         {-0.7436438870371, -0.7436438870369, 0.1318259042052, 0.1318259042054},
         {97, 61, 0}},
    };
    return cases;
}

double Ulp(double x) {
    return std::nextafter(std::abs(x), INFINITY) - std::abs(x);
}

// Two plane points are the same to within a thousandth of a pixel, or a
// few roundings where a pixel is only a few doubles wide.
void ExpectSamePoint(PlanePoint a, PlanePoint b, const PlaneRect& view, const ViewFrame& frame,
                     const std::string& what) {
    const double dx = std::abs(view.right - view.left) / (frame.width + frame.divisorExtra);
    const double dy = std::abs(view.top - view.bottom) / (frame.height + frame.divisorExtra);
    EXPECT_NEAR(a.re, b.re, dx * 1e-3 + 4 * Ulp(a.re)) << what;
    EXPECT_NEAR(a.im, b.im, dy * 1e-3 + 4 * Ulp(a.im)) << what;
}

// The width of a view against what it should be, allowing the roundings of
// its edges.
void ExpectSpan(double low, double high, double expected, const std::string& what) {
    const double tolerance = std::abs(expected) * 1e-12 + 4 * (Ulp(low) + Ulp(high));
    EXPECT_NEAR(high - low, expected, tolerance) << what;
}

TEST(ViewGeometry, PositionsMapToTheScansPoints) {
    const PlaneRect v = MandelbrotFigure(12).own;
    const ViewFrame f{483, 609, 0};
    const double dx = (v.right - v.left) / 483, dy = (v.top - v.bottom) / 609;
    const PlanePoint p = PictureToPlane(v, f, {7, 11});
    EXPECT_EQ(p.re, v.left + 7 * dx);
    EXPECT_EQ(p.im, v.top - 11 * dy);
    EXPECT_EQ(PictureToPlane(v, f, {0, 0}).re, v.left);
    const PicturePoint back = PlaneToPicture(v, f, PictureToPlane(v, f, {100.25, 3.5}));
    EXPECT_NEAR(back.x, 100.25, 1e-9);
    EXPECT_NEAR(back.y, 3.5, 1e-9);
}

TEST(ViewGeometry, ZoomKeepsThePointUnderTheCursor) {
    for (const Case& c : Cases()) {
        for (const PicturePoint p : {PicturePoint{0, 0},
                                     {37.5, 12.25},
                                     PictureCentre(c.frame),
                                     {c.frame.width - 0.5, c.frame.height - 1.0}}) {
            for (const double factor :
                 {2.0, WheelZoomFactor(120), WheelZoomFactor(-360), 0.5, 1e3}) {
                const PlaneRect z = ZoomAbout(c.view, c.frame, p, factor);
                const std::string what = std::string(c.name) + " factor " + std::to_string(factor);
                ExpectSamePoint(PictureToPlane(z, c.frame, p), PictureToPlane(c.view, c.frame, p),
                                z, c.frame, what);
                ExpectSpan(z.left, z.right, (c.view.right - c.view.left) / factor, what);
                ExpectSpan(z.bottom, z.top, (c.view.top - c.view.bottom) / factor, what);
            }
        }
    }
    // The zoom against the own rectangle: by area when stretched.
    const PlaneRect own = MandelbrotFigure(0).own;
    const ViewFrame frame{483, 609, 0};
    EXPECT_DOUBLE_EQ(ZoomFactor(own, own), 1);
    EXPECT_NEAR(ZoomFactor(ZoomAbout(own, frame, {100, 200}, 1.5e6), own), 1.5e6, 1e-3);
    EXPECT_DOUBLE_EQ(ZoomFactor({-2, -1.2, 1.2, -1.2}, own), 2);  // a quarter as wide, mirrored
    EXPECT_DOUBLE_EQ(WheelZoomFactor(120), std::sqrt(2.0));
    EXPECT_DOUBLE_EQ(WheelZoomFactor(-240), 0.5);
    EXPECT_DOUBLE_EQ(WheelZoomFactor(60), std::pow(2.0, 0.25));
}

TEST(ViewGeometry, PanMovesThePlaneWithTheCursor) {
    for (const Case& c : Cases()) {
        const PlaneRect v = c.view;
        const ViewFrame f = c.frame;
        // A drag by (d, e) pixels: what was under p is under p + (d, e).
        const PlaneRect dragged = PanByPixels(v, f, 13.5, -7);
        ExpectSamePoint(PictureToPlane(dragged, f, {20 + 13.5, 30 - 7}),
                        PictureToPlane(v, f, {20, 30}), v, f, c.name);
        // An eighth of the view towards an edge: what was an eighth inside
        // that edge's way now lies at the picture's corner.
        const double ex = (f.width + f.divisorExtra) / 8.0, ey = (f.height + f.divisorExtra) / 8.0;
        for (const auto& [right, up] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {2, -3}}) {
            ExpectSamePoint(PictureToPlane(PanByEighths(v, right, up), f, {0, 0}),
                            PictureToPlane(v, f, {right * ex, -up * ey}), v, f,
                            std::string(c.name) + " eighths " + std::to_string(right) + "," +
                                std::to_string(up));
        }
    }
}

TEST(ViewGeometry, DraggedRectangleFillsThePictureInEveryDirection) {
    for (const Case& c : Cases()) {
        const ViewFrame f = c.frame;
        const double x0 = 10.5, x1 = 60, y0 = 4, y1 = 41.75;
        const PicturePoint corners[][2] = {
            {{x0, y0}, {x1, y1}}, {{x1, y1}, {x0, y0}}, {{x0, y1}, {x1, y0}}, {{x1, y0}, {x0, y1}}};
        const PlaneRect first = DragView(c.view, f, corners[0][0], corners[0][1]);
        for (const auto& drag : corners) {
            const PlaneRect r = DragView(c.view, f, drag[0], drag[1]);
            EXPECT_TRUE(r.left == first.left && r.right == first.right &&
                        r.bottom == first.bottom && r.top == first.top)
                << c.name;
        }
        // The dragged corners become the picture's corners; the orientation
        // stays (left edge at `left`, mirrored or not).
        ExpectSamePoint(PictureToPlane(first, f, {0, 0}), PictureToPlane(c.view, f, {x0, y0}),
                        first, f, c.name);
        ExpectSamePoint(PictureToPlane(first, f, {double(f.width), double(f.height)}),
                        PictureToPlane(c.view, f, {x1, y1}), first, f, c.name);
        EXPECT_EQ(first.right < first.left, c.view.right < c.view.left) << c.name;
        EXPECT_EQ(first.top < first.bottom, c.view.top < c.view.bottom) << c.name;
    }
}

TEST(ViewHistory, BackForwardHomeAndANewViewAfterGoingBack) {
    const PlaneRect own{-2, 1, -1, 1}, b{-1, 0, 0, 1}, c{-0.5, 0, 0, 0.5}, d{0, 1, 0, 1};
    ViewHistory h(own);
    enum Op { Push, Back, Forward, Home };
    struct Step {
        Op op;
        PlaneRect arg;
        bool changed;
        PlaneRect current;
        bool canBack, canForward;
    };
    const Step steps[] = {
        {Push, b, true, b, true, false},      {Push, c, true, c, true, false},
        {Push, c, false, c, true, false},     {Back, {}, true, b, true, true},
        {Back, {}, true, own, false, true},   {Back, {}, false, own, false, true},
        {Forward, {}, true, b, true, true},   {Push, d, true, d, true, false},  // c dropped
        {Forward, {}, false, d, true, false}, {Home, {}, true, own, true, false},
        {Back, {}, true, d, true, true},      {Home, {}, true, own, true, false},
        {Home, {}, false, own, true, false},  {Back, {}, true, d, true, true},
        {Back, {}, true, b, true, true},      {Back, {}, true, own, false, true},
    };
    int n = 0;
    for (const Step& s : steps) {
        const bool changed = s.op == Push      ? h.Push(s.arg)
                             : s.op == Back    ? h.Back()
                             : s.op == Forward ? h.Forward()
                                               : h.Home();
        EXPECT_EQ(changed, s.changed) << "step " << n;
        EXPECT_TRUE(SameRect(h.Current().plane, s.current)) << "step " << n;
        EXPECT_EQ(h.CanGoBack(), s.canBack) << "step " << n;
        EXPECT_EQ(h.CanGoForward(), s.canForward) << "step " << n;
        EXPECT_EQ(h.AtOwn(), SameRect(s.current, own)) << "step " << n;
        ++n;
    }
    // A long session keeps a bounded history.
    for (int k = 0; k < int(ViewHistory::kMaxEntries) + 50; ++k) {
        h.Push(PlaneRect{double(k), k + 1.0, 0, 1});
    }
    EXPECT_EQ(h.Size(), ViewHistory::kMaxEntries);
    EXPECT_TRUE(h.Home());
}

TEST(PrecisionFloor, RefusesViewsWhosePixelsWouldRepeat) {
    const double u = std::nextafter(0.75, 1.0) - 0.75;  // spacing of doubles at 0.75
    const ScanSettings accumulated{PointForm::Accumulated, 0, 10, RepaintOp::Refresh, true};
    const ScanSettings direct{PointForm::Direct, 0, 25, RepaintOp::Update, true};
    const double inf = INFINITY;
    struct Row {
        PlaneRect view;
        ScanSettings scan;
        const char* refusal;  // a part of the reason, nullptr: drawable
    };
    const Row rows[] = {
        {MandelbrotFigure(0).own, accumulated, nullptr},
        {MandelbrotFigure(12).own, accumulated, nullptr},
        // Columns 2 and 0.3 spacings of a double apart.
        {{0.75, 0.75 + 2 * u * 483, 0, 1}, direct, nullptr},
        {{0.75, 0.75 + 0.3 * u * 483, 0, 1}, direct, "neighbouring columns"},
        {{0.75, 0.75 + 0.3 * u * 483, 0, 1}, accumulated, "neighbouring columns"},
        // 0.7 spacings: the running sum still steps a whole spacing each
        // column, the direct form repeats points.
        {{0.75, 0.75 + 0.7 * u * 483, 0, 1}, accumulated, nullptr},
        {{0.75, 0.75 + 0.7 * u * 483, 0, 1}, direct, "neighbouring columns"},
        {{0, 1, 0.75, 0.75 + 0.3 * u * 609}, accumulated, "neighbouring rows"},
        {{1, 0, 0.75 + 0.3 * u * 609, 0.75}, direct, "neighbouring rows"},
        {{-inf, 1, 0, 1}, direct, "range of a double"},
        {{0, 1, NAN, 1}, accumulated, "range of a double"},
        {{-1e308, 1e308, 0, 1}, direct, "range of a double"},
        {{-1e308, 1e308, 0, 1}, accumulated, "range of a double"},
        {{1, 1, 0, 1}, direct, "no width"},
        {{0, 1, 2, 2}, accumulated, "no width or no height"},
    };
    for (const Row& r : rows) {
        const auto reason = ViewRefusal(r.view, 483, 609, r.scan);
        const std::string what = std::to_string(r.view.left) + "," + std::to_string(r.view.right);
        if (r.refusal == nullptr) {
            EXPECT_FALSE(reason.has_value()) << what << ": " << reason.value_or("");
        } else {
            ASSERT_TRUE(reason.has_value()) << what;
            EXPECT_NE(reason->find(r.refusal), std::string::npos) << *reason;
            EXPECT_EQ(reason->rfind("cannot zoom further: ", 0), 0u) << *reason;
        }
    }
    // A size the figure cannot draw is the scan's range error.
    EXPECT_THROW(ViewRefusal(MandelbrotFigure(0).own, 10, 4097, accumulated), RangeError);
}

// A band takes the picture's proportions about its own centre and holds the
// dragged rectangle; square pixels keep the centre, the zoom and the axes'
// directions.
TEST(ViewGeometry, BandsKeepProportionsAndPixelsGetSquare) {
    for (const Case& c : Cases()) {
        const ViewFrame& f = c.frame;
        const double aspect = static_cast<double>(f.width) / f.height;
        for (auto [a, b] : {std::pair<PicturePoint, PicturePoint>{{10, 20}, {60, 30}},
                            {{50, 5}, {40, 45}},
                            {{3, 3}, {3, 40}}}) {
            const auto [from, to] = BandWithAspect(f, a, b);
            EXPECT_NEAR((to.x - from.x) / (to.y - from.y), aspect, 1e-12) << c.name;
            EXPECT_LE(from.x, std::min(a.x, b.x)) << c.name;
            EXPECT_GE(to.y, std::max(a.y, b.y)) << c.name;
            EXPECT_DOUBLE_EQ(from.x + to.x, a.x + b.x) << c.name;
        }
        const PlaneRect square = SquarePixels(c.view, f);
        const double w = f.width + f.divisorExtra, h = f.height + f.divisorExtra;
        const double dx = (square.right - square.left) / w;
        const double dy = (square.top - square.bottom) / h;
        // The edges are doubles: the sides come out as exact as they hold.
        const double tolerance =
            1e-12 + 8 *
                        Ulp(std::max({std::abs(square.left), std::abs(square.right),
                                      std::abs(square.bottom), std::abs(square.top)})) /
                        std::min(std::abs(square.right - square.left),
                                 std::abs(square.top - square.bottom));
        EXPECT_NEAR(std::abs(dx) / std::abs(dy), 1.0, tolerance) << c.name;
        EXPECT_EQ(dx > 0, c.view.right > c.view.left) << c.name;
        EXPECT_NEAR(ZoomFactor(square, c.view), 1.0, tolerance) << c.name;
        ExpectSamePoint(PictureToPlane(square, f, PictureCentre(f)),
                        PictureToPlane(c.view, f, PictureCentre(f)), c.view, f, c.name);
    }
}

}  // namespace
}  // namespace galleri
