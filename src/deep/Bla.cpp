#include "deep/Bla.h"

#include <algorithm>
#include <cmath>

namespace galleri {

namespace {

// A step's numbers in wide exponent while the table is made.
struct WideStep {
    ComplexExp a, b;
    FloatExp r;
};

BlaStep Packed(const WideStep& w) {
    const FloatExp r2 = w.r * w.r;
    return {w.a.re,
            w.a.im,
            w.b.re,
            w.b.im,
            r2.m,
            static_cast<int32_t>(w.a.e),
            static_cast<int32_t>(w.b.e),
            static_cast<int32_t>(r2.e)};
}

}  // namespace

BlaTable::BlaTable(const ReferenceOrbit& orbit, FloatExp dcMax, double epsilon, int shortest)
    : shortest_(shortest) {
    const int64_t last = orbit.Last();
    if (last < 2) {
        return;
    }
    const FloatExp zero{}, two = FloatExp::Of(2), twoEpsilon = FloatExp::Of(2 * epsilon);
    // One step from m to m + 1 for m = 1 .. last - 1.
    std::vector<WideStep> lower(static_cast<size_t>(last - 1));
    for (int64_t m = 1; m < last; ++m) {
        const ComplexExp z = orbit.Wide(m);
        const FloatExp size = z.Abs();
        // d^2 negligible beside 2Z d, and z = Z + d still inside |z| < 2.
        const FloatExp r = Max(zero, Min(twoEpsilon * size, two - size));
        WideStep& step = lower[static_cast<size_t>(m - 1)];
        step = {z * ComplexExp::Of(2, 0), ComplexExp::Of(1, 0), r};
    }
    std::vector<BlaStep> packed(lower.size());
    std::transform(lower.begin(), lower.end(), packed.begin(), Packed);
    levels_.push_back(std::move(packed));
    while (lower.size() >= 2) {
        std::vector<WideStep> upper(lower.size() / 2);
        for (size_t t = 0; t < upper.size(); ++t) {
            const WideStep& x = lower[2 * t];
            const WideStep& y = lower[2 * t + 1];
            WideStep& s = upper[t];
            s.a = y.a * x.a;
            s.b = y.a * x.b + y.b;
            s.r = x.a.IsZero() ? zero : Max(zero, Min(x.r, (y.r - x.b.Abs() * dcMax) / x.a.Abs()));
        }
        packed.resize(upper.size());
        std::transform(upper.begin(), upper.end(), packed.begin(), Packed);
        levels_.push_back(std::move(packed));
        lower = std::move(upper);
    }
    // Z_m beside the radius of the shortest step from m as a double, the
    // pixels' first test: none where the iterate is tiny (those pixels step
    // in wide exponent), nor from an index the shortest steps do not start
    // from, nor from m = 0 or the last.
    const size_t count = levels_[0].size();
    records_.resize(static_cast<size_t>(last + 1));
    const size_t aligned = (size_t{1} << shortest_) - 1;
    for (int64_t m = 0; m <= last; ++m) {
        const size_t t = static_cast<size_t>(m);
        double r2 = 0.0;
        const size_t offset = t - 1;
        if (m >= 1 && m < last && shortest_ < static_cast<int>(levels_.size()) &&
            (offset & aligned) == 0 && (offset >> shortest_) < levels_[shortest_].size()) {
            const BlaStep& step = levels_[shortest_][offset >> shortest_];
            r2 = step.r2 * Pow2(step.r2e);
            r2 = orbit.IsTiny(m) || r2 < 0x1p-800 ? 0.0 : r2;
        }
        records_[t] = {orbit.re[t], orbit.im[t], r2, 0.0};
    }
    radiiFrom_.reserve(count + 1);
    for (size_t offset = 0; offset < count; ++offset) {
        radiiFrom_.push_back(radii_.size());
        for (size_t k = 0; k < levels_.size() && (offset >> k) < levels_[k].size(); ++k) {
            const BlaStep& step = levels_[k][offset >> k];
            radii_.push_back(step.r2 * Pow2(step.r2e));
            if ((offset >> k) & 1 || (offset & ((size_t{1} << k) - 1)) != 0) {
                break;
            }
        }
    }
    radiiFrom_.push_back(radii_.size());
}

size_t BlaTable::Bytes() const {
    size_t n = records_.size() * sizeof(LaneRecord) + radii_.size() * sizeof(double) +
               radiiFrom_.size() * sizeof(size_t);
    for (const auto& level : levels_) {
        n += level.size() * sizeof(BlaStep);
    }
    return n;
}

}  // namespace galleri
