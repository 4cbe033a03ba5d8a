#include "video/ZoomPath.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace galleri {

namespace {

long MostBits(const DeepRect& r) {
    return std::max(
        {r.left.Precision(), r.right.Precision(), r.bottom.Precision(), r.top.Precision()});
}

BigFloat LogOfRatio(const BigFloat& a, const BigFloat& b, long bits) {
    BigFloat q = a.WithPrecision(bits) / b.WithPrecision(bits);
    mpfr_log(q.Raw(), q.Raw(), MPFR_RNDN);
    return q;
}

BigFloat Expm1(const BigFloat& x) {
    BigFloat y(x.Precision());
    mpfr_expm1(y.Raw(), x.Raw(), MPFR_RNDN);
    return y;
}

}  // namespace

ZoomPath::ZoomPath(DeepRect from, DeepRect to, int64_t frames)
    : from_(std::move(from)), to_(std::move(to)), frames_(std::max<int64_t>(frames, 2)) {
    const BigFloat w0 = from_.right - from_.left, w1 = to_.right - to_.left;
    const BigFloat h0 = from_.top - from_.bottom, h1 = to_.top - to_.bottom;
    // The deeper end's own bits, and enough more that an edge computed from
    // the other end's numbers is still exact to a pixel of 65535: the
    // error of the fraction is relative to the whole way.
    const long change = std::max(std::labs(w0.Exponent() - w1.Exponent()),
                                 std::labs(h0.Exponent() - h1.Exponent()));
    bits_ =
        std::max({MostBits(from_), MostBits(to_), ShapeBits(from_), ShapeBits(to_)}) + change + 32;
    logRatioX_ = LogOfRatio(w1, w0, bits_);
    logRatioY_ = LogOfRatio(h1, h0, bits_);
    wholeX_ = Expm1(logRatioX_);
    wholeY_ = Expm1(logRatioY_);
    const double steps = static_cast<double>(frames_ - 1);
    log2StepX_ = -logRatioX_.ToDouble() / std::log(2.0) / steps;
    log2StepY_ = -logRatioY_.ToDouble() / std::log(2.0) / steps;
}

BigFloat ZoomPath::Fraction(const BigFloat& s, const BigFloat& logRatio,
                            const BigFloat& whole) const {
    if (whole.IsZero()) {
        return s;  // no change of size: a pan at a constant speed
    }
    return Expm1(s * logRatio) / whole;
}

DeepRect ZoomPath::At(double t) const {
    if (t <= 0) {
        return from_;
    }
    if (t >= static_cast<double>(frames_ - 1)) {
        return to_;
    }
    const BigFloat s = BigFloat(t, bits_) / BigFloat(static_cast<double>(frames_ - 1), bits_);
    const BigFloat fx = Fraction(s, logRatioX_, wholeX_);
    const BigFloat fy = Fraction(s, logRatioY_, wholeY_);
    const auto edge = [this](const BigFloat& a, const BigFloat& b, const BigFloat& f) {
        const BigFloat a0 = a.WithPrecision(bits_);
        return a0 + (b.WithPrecision(bits_) - a0) * f;
    };
    return {edge(from_.left, to_.left, fx), edge(from_.right, to_.right, fx),
            edge(from_.bottom, to_.bottom, fy), edge(from_.top, to_.top, fy)};
}

std::optional<PicturePoint> ZoomPath::FixedPoint(const ViewFrame& frame) const {
    if (wholeX_.IsZero() || wholeY_.IsZero()) {
        return std::nullopt;
    }
    // P - edge0 = (edge1 - edge0) / (1 - r^(N-1)) = -(edge1 - edge0) / whole,
    // in pixels of the first picture.
    const BigFloat dx = (from_.right.WithPrecision(bits_) - from_.left) /
                        BigFloat(static_cast<double>(frame.width + frame.divisorExtra), bits_);
    const BigFloat dy = (from_.top.WithPrecision(bits_) - from_.bottom) /
                        BigFloat(static_cast<double>(frame.height + frame.divisorExtra), bits_);
    const BigFloat px = -(to_.left.WithPrecision(bits_) - from_.left) / wholeX_ / dx;
    const BigFloat py = (to_.top.WithPrecision(bits_) - from_.top) / wholeY_ / dy;
    return PicturePoint{px.ToDouble(), py.ToDouble()};
}

int64_t ZoomLevel(double t, double log2Step) {
    return static_cast<int64_t>(std::floor(t * std::fabs(log2Step) + 1e-9));
}

double ZoomLevelStart(int64_t level, double log2Step) {
    const double perFrame = std::fabs(log2Step);
    return perFrame > 0 ? static_cast<double>(level) / perFrame : 0;
}

}  // namespace galleri
