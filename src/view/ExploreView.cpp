#include "view/ExploreView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "escape/PlaneFigure.h"
#include "view/ViewText.h"

namespace galleri {

namespace {

PlaneRect Rounded(const DeepRect& view) {
    return {view.left.ToDouble(), view.right.ToDouble(), view.bottom.ToDouble(),
            view.top.ToDouble()};
}

// The bits to compute a gesture in: the view's own and a margin for the
// positions' and factors' 53 bits and for what a zoom adds.
long WorkingBits(const DeepRect& view, double factor = 1) {
    const long own = std::max({view.left.Precision(), view.right.Precision(),
                               view.bottom.Precision(), view.top.Precision()});
    const long zoom = factor > 1 ? static_cast<long>(std::ceil(std::log2(factor))) : 0;
    return own + 64 + zoom;
}

}  // namespace

DeepRect Settled(DeepRect view) {
    if (DeepViewRefusal(view)) {
        return view;
    }
    const long bits = std::max(53L, ShapeBits(view));
    view.left.SetPrecision(bits);
    view.right.SetPrecision(bits);
    view.bottom.SetPrecision(bits);
    view.top.SetPrecision(bits);
    for (int round = 0; round < 4; ++round) {
        ParsedDeepView back = ParseDeepView(FormatDeepView(view));
        if (!back.view) {
            break;
        }
        const bool same = SameView(ExploreView(*back.view), ExploreView(view));
        view = std::move(*back.view);
        if (same) {
            break;
        }
    }
    return view;
}

namespace {

BigFloat Big(double value, long bits) {
    return BigFloat(value, bits);
}

BigFloat StepX(const DeepRect& view, const ViewFrame& frame, long bits) {
    return (view.right.WithPrecision(bits) - view.left) /
           Big(static_cast<double>(frame.width + frame.divisorExtra), bits);
}

BigFloat StepY(const DeepRect& view, const ViewFrame& frame, long bits) {
    return (view.top.WithPrecision(bits) - view.bottom) /
           Big(static_cast<double>(frame.height + frame.divisorExtra), bits);
}

// log2 |x| for a nonzero x of any exponent.
double Log2Abs(const BigFloat& x) {
    long exponent = 0;
    const double mantissa = x.Mantissa(exponent);
    return static_cast<double>(exponent) + std::log2(std::fabs(mantissa));
}

}  // namespace

ExploreView::ExploreView(DeepRect view) : plane(Rounded(view)), deep(std::move(view)) {}

DeepRect ExploreView::Exact() const {
    return deep ? *deep : ToDeepRect(plane);
}

bool SameView(const ExploreView& a, const ExploreView& b) {
    if (a.Deep() != b.Deep()) {
        return false;
    }
    if (!a.Deep()) {
        return SameRect(a.plane, b.plane);
    }
    return a.deep->left == b.deep->left && a.deep->right == b.deep->right &&
           a.deep->bottom == b.deep->bottom && a.deep->top == b.deep->top;
}

std::pair<BigFloat, BigFloat> DeepPictureToPlane(const DeepRect& view, const ViewFrame& frame,
                                                 PicturePoint p) {
    const long bits = WorkingBits(view);
    return {view.left.WithPrecision(bits) + Big(p.x, bits) * StepX(view, frame, bits),
            view.top.WithPrecision(bits) - Big(p.y, bits) * StepY(view, frame, bits)};
}

DeepRect DeepZoomAbout(const DeepRect& view, const ViewFrame& frame, PicturePoint p,
                       double factor) {
    const long bits = WorkingBits(view, factor);
    const auto [re, im] = DeepPictureToPlane(view, frame, p);
    const BigFloat f = Big(factor, bits);
    const BigFloat fixedRe = re.WithPrecision(bits), fixedIm = im.WithPrecision(bits);
    return Settled({fixedRe - (fixedRe - view.left) / f, fixedRe + (view.right - fixedRe) / f,
                    fixedIm - (fixedIm - view.bottom) / f, fixedIm + (view.top - fixedIm) / f});
}

DeepRect DeepPanByPixels(const DeepRect& view, const ViewFrame& frame, double dxPixels,
                         double dyPixels) {
    const long bits = WorkingBits(view);
    const BigFloat shiftRe = Big(dxPixels, bits) * StepX(view, frame, bits);
    const BigFloat shiftIm = Big(dyPixels, bits) * StepY(view, frame, bits);
    return Settled(
        {view.left.WithPrecision(bits) - shiftRe, view.right.WithPrecision(bits) - shiftRe,
         view.bottom.WithPrecision(bits) + shiftIm, view.top.WithPrecision(bits) + shiftIm});
}

DeepRect DeepPanByEighths(const DeepRect& view, int right, int up) {
    const long bits = WorkingBits(view);
    const BigFloat shiftRe =
        Big(right, bits) * (view.right.WithPrecision(bits) - view.left) / Big(8, bits);
    const BigFloat shiftIm =
        Big(up, bits) * (view.top.WithPrecision(bits) - view.bottom) / Big(8, bits);
    return Settled(
        {view.left.WithPrecision(bits) + shiftRe, view.right.WithPrecision(bits) + shiftRe,
         view.bottom.WithPrecision(bits) + shiftIm, view.top.WithPrecision(bits) + shiftIm});
}

DeepRect DeepDragView(const DeepRect& view, const ViewFrame& frame, PicturePoint a,
                      PicturePoint b) {
    if (frame.width <= 0 || frame.height <= 0) {
        return view;
    }
    const double x0 = std::min(a.x, b.x), x1 = std::max(a.x, b.x);
    const double y0 = std::min(a.y, b.y), y1 = std::max(a.y, b.y);
    const auto farEdge = [extra = frame.divisorExtra](double from, double to, int size) {
        return extra == 0 ? to : from + (to - from) * (size + extra) / size;
    };
    const double factor =
        std::max(frame.width / std::max(x1 - x0, 1e-300), frame.height / std::max(y1 - y0, 1e-300));
    const long bits = WorkingBits(view, std::min(factor, 1e300));
    DeepRect wide = view;
    wide.left.SetPrecision(bits);
    wide.top.SetPrecision(bits);
    const auto topLeft = DeepPictureToPlane(wide, frame, {x0, y0});
    const auto bottomRight = DeepPictureToPlane(
        wide, frame, {farEdge(x0, x1, frame.width), farEdge(y0, y1, frame.height)});
    return Settled({topLeft.first, bottomRight.first, bottomRight.second, topLeft.second});
}

DeepRect DeepSquarePixels(const DeepRect& view, const ViewFrame& frame) {
    const long bits = WorkingBits(view);
    const BigFloat w = Big(frame.width + frame.divisorExtra, bits);
    const BigFloat h = Big(frame.height + frame.divisorExtra, bits);
    const BigFloat dx = StepX(view, frame, bits), dy = StepY(view, frame, bits);
    // The side's exponent may be past a double's: the geometric mean of the
    // mantissas, scaled by the mean of the exponents.
    long ex = 0, ey = 0;
    const double mx = std::fabs(dx.Mantissa(ex)), my = std::fabs(dy.Mantissa(ey));
    long sum = ex + ey;
    double mean = std::sqrt(mx) * std::sqrt(my);
    if (sum % 2 != 0) {
        mean *= std::sqrt(2.0);
        sum -= 1;
    }
    const BigFloat side = Big(mean, bits).Times2Pow(sum / 2);
    const BigFloat sx = dx.Sign() < 0 ? -side : side;
    const BigFloat sy = dy.Sign() < 0 ? -side : side;
    const PicturePoint c = PictureCentre(frame);
    const auto [re, im] = DeepPictureToPlane(view, frame, c);
    const BigFloat left = re - Big(c.x, bits) * sx;
    const BigFloat top = im + Big(c.y, bits) * sy;
    return Settled({left, left + sx * w, top - sy * h, top});
}

std::optional<std::string> DeepViewRefusal(const DeepRect& view) {
    if (!view.left.IsFinite() || !view.right.IsFinite() || !view.bottom.IsFinite() ||
        !view.top.IsFinite()) {
        return std::string("cannot zoom further: the view's numbers are not finite");
    }
    if (view.left == view.right || view.bottom == view.top) {
        return std::string("cannot zoom further: the view has no width or no height");
    }
    if (ShapeBits(view) > kMaxDeepBits) {
        return std::string("cannot zoom further: the view would need more than ") +
               std::to_string(kMaxDeepBits) + " bits";
    }
    return std::nullopt;
}

std::pair<PicturePoint, PicturePoint> PlaceIn(const ExploreView& shown, const ExploreView& target,
                                              const ViewFrame& frame) {
    if (!shown.Deep() && !target.Deep()) {
        const PicturePoint a =
            PlaneToPicture(target.plane, frame, PictureToPlane(shown.plane, frame, {0, 0}));
        const PicturePoint b = PlaneToPicture(
            target.plane, frame,
            PictureToPlane(shown.plane, frame,
                           {static_cast<double>(frame.width), static_cast<double>(frame.height)}));
        return {a, b};
    }
    const DeepRect from = shown.Exact(), to = target.Exact();
    const long bits = std::max(WorkingBits(from), WorkingBits(to));
    const BigFloat sx = StepX(to, frame, bits), sy = StepY(to, frame, bits);
    const auto corner = [&](double x, double y) {
        const auto [re, im] = DeepPictureToPlane(from, frame, {x, y});
        return PicturePoint{((re.WithPrecision(bits) - to.left) / sx).ToDouble(),
                            ((to.top.WithPrecision(bits) - im) / sy).ToDouble()};
    };
    return {corner(0, 0),
            corner(static_cast<double>(frame.width), static_cast<double>(frame.height))};
}

std::string ZoomText(const ExploreView& view, const PlaneRect& own) {
    if (!view.Deep()) {
        return FormatZoom(ZoomFactor(view.plane, own));
    }
    const DeepRect& d = *view.deep;
    const double ownW = std::log2(std::fabs(own.right - own.left));
    const double ownH = std::log2(std::fabs(own.top - own.bottom));
    const double log2Factor =
        ((ownW - Log2Abs(d.right - d.left)) + (ownH - Log2Abs(d.top - d.bottom))) / 2;
    if (log2Factor < 1000) {
        return FormatZoom(std::exp2(log2Factor));
    }
    // Past a double: 10^log10, the mantissa rounded to one decimal.
    const double log10Factor = log2Factor * std::log10(2.0);
    long exponent = static_cast<long>(std::floor(log10Factor));
    double mantissa = std::pow(10.0, log10Factor - static_cast<double>(exponent));
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.1f", mantissa);
    if (buffer[0] == '1' && buffer[1] == '0') {  // 9.96 rounds to 10.0
        ++exponent;
        std::snprintf(buffer, sizeof buffer, "1.0");
    }
    std::string text = buffer;
    if (text.size() > 2 && text.compare(text.size() - 2, 2, ".0") == 0) {
        text.resize(text.size() - 2);
    }
    return "x " + text + "e" + std::to_string(exponent);
}

}  // namespace galleri

namespace galleri {

std::string FormatPlanePoint(const ExploreView& view, const ViewFrame& frame, PicturePoint p) {
    const DeepRect exact = view.Exact();
    const auto [re, im] = DeepPictureToPlane(exact, frame, p);
    // Digits enough that a pixel's step shows in the last two.
    const long bits = WorkingBits(exact);
    const BigFloat step = StepX(exact, frame, bits).Abs();
    long largest =
        std::max(re.IsZero() ? -100000L : re.Exponent(), im.IsZero() ? -100000L : im.Exponent());
    largest = std::max(largest, step.Exponent());
    const long digits = std::clamp<long>(
        static_cast<long>(
            std::ceil(static_cast<double>(largest - step.Exponent()) * std::log10(2.0))) +
            2,
        4, 100000);
    const std::string imText = im.Abs().ToString(static_cast<int>(digits));
    return re.ToString(static_cast<int>(digits)) + (im.Sign() < 0 ? " - " : " + ") + imText + "i";
}

}  // namespace galleri
