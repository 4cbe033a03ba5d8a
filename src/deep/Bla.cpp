#include "deep/Bla.h"

#include <algorithm>
#include <cmath>

namespace galleri {

namespace {

// A step's numbers in wide exponent while the table is made: besides A, B
// and C, bounds on the terms in d dc and dc^2 the second-order form leaves
// out (|D| and |E|), and its radii R, Q and L.
struct WideStep {
    ComplexExp a, b, c;
    FloatExp d, e;
    FloatExp r, q, l;
};

FloatExp Sqrt(FloatExp x) {
    if (x.m <= 0) {
        return {};
    }
    const int64_t odd = x.e & 1;
    return FloatExp::Of(std::sqrt(odd != 0 ? 2 * x.m : x.m), (x.e - odd) / 2);
}

FloatExp Cbrt(FloatExp x) {
    if (x.m <= 0) {
        return {};
    }
    const int64_t rest = ((x.e % 3) + 3) % 3;
    return FloatExp::Of(std::cbrt(x.m * Pow2(rest)), (x.e - rest) / 3);
}

BlaStep Packed(const WideStep& w) {
    const FloatExp r2 = w.r * w.r;
    const double q2 = (w.q * w.q).ToDouble();
    const auto within = [](const ComplexExp& x) { return x.IsZero() || (x.e > -900 && x.e < 900); };
    const bool plain = within(w.a) && within(w.b), plainC = within(w.c);
    const auto part = [](bool ok, double m, int64_t e) {
        return ok ? std::ldexp(m, static_cast<int>(e)) : 0.0;
    };
    return {w.a.re,
            w.a.im,
            w.b.re,
            w.b.im,
            w.c.re,
            w.c.im,
            r2.m,
            q2,
            w.l.IsZero() ? 0.0 : (w.l * w.l).ToDouble(),
            static_cast<int32_t>(w.a.e),
            static_cast<int32_t>(w.b.e),
            static_cast<int32_t>(w.c.e),
            static_cast<int32_t>(r2.e),
            plain,
            plainC,
            part(plain, w.a.re, w.a.e),
            part(plain, w.a.im, w.a.e),
            part(plain, w.b.re, w.b.e),
            part(plain, w.b.im, w.b.e),
            part(plainC, w.c.re, w.c.e),
            part(plainC, w.c.im, w.c.e)};
}

// The second-order form's bounds of the step x then y, which has A = a:
// Q keeps x's d below its own Q, x's result within y's, and the d^3 and
// d^4 terms the merge leaves out below epsilon of A d; L keeps x's result
// above y's L and the dc^2 term below epsilon of A d. None where the d dc
// term it leaves out is not below epsilon of A itself.
void SecondOrder(const WideStep& x, const WideStep& y, const ComplexExp& a, WideStep& s,
                 FloatExp dcMax, FloatExp epsilon) {
    const FloatExp zero{}, two = FloatExp::Of(2), four = FloatExp::Of(4);
    const FloatExp xa = x.a.Abs(), xb = x.b.Abs(), xc = x.c.Abs();
    const FloatExp ya = y.a.Abs(), yc = y.c.Abs(), size = a.Abs();
    s.d = ya * x.d + two * yc * xa * xb + y.d * xa;
    s.e = ya * x.e + yc * xb * xb + y.d * xb + y.e;
    s.q = zero;
    s.l = zero;
    const FloatExp room = y.q - xb * dcMax;
    if (x.q.IsZero() || xa.IsZero() || !(zero < room) || !(two * s.d * dcMax < epsilon * size)) {
        return;
    }
    FloatExp q = Min(x.q, room / (two * xa));
    if (!xc.IsZero()) {
        // x's quadratic part at most half its linear part, and within y's Q.
        q = Min(q, Min(xa / (two * xc), Sqrt(room / (two * xc))));
        if (!yc.IsZero()) {
            q = Min(q, Min(Sqrt(epsilon * ya / (four * yc * xc)),
                           Cbrt(epsilon * ya * xa / (two * yc * xc * xc))));
        }
    }
    FloatExp l = Max(x.l, two * (y.l + xb * dcMax) / xa);
    if (!s.e.IsZero() && !dcMax.IsZero()) {
        l = Max(l, two * s.e * dcMax * dcMax / (epsilon * size));
    }
    if (l < q) {
        s.q = q;
        s.l = l;
    }
}

}  // namespace

BlaTable::BlaTable(const ReferenceOrbit& orbit, FloatExp dcMax, double epsilon, int shortest)
    : shortest_(shortest) {
    const int64_t last = orbit.Last();
    if (last < 2) {
        return;
    }
    const FloatExp zero{}, two = FloatExp::Of(2), twoEpsilon = FloatExp::Of(2 * epsilon);
    const FloatExp half = FloatExp::Of(0.5), eps = FloatExp::Of(epsilon);
    // One step from m to m + 1 for m = 1 .. last - 1.
    std::vector<WideStep> lower(static_cast<size_t>(last - 1));
    for (int64_t m = 1; m < last; ++m) {
        const ComplexExp z = orbit.Wide(m);
        const FloatExp size = z.Abs();
        // d^2 negligible beside 2Z d, and z = Z + d still inside |z| < 2.
        const FloatExp r = Max(zero, Min(twoEpsilon * size, two - size));
        // The second-order form is the iteration itself; |d| < |Z|/2 keeps
        // the pixel nearer the reference than 0 (no rebase skipped).
        const FloatExp q = orbit.IsTiny(m) ? zero : Max(zero, Min(half * size, two - size));
        WideStep& step = lower[static_cast<size_t>(m - 1)];
        step = {
            z * ComplexExp::Of(2, 0), ComplexExp::Of(1, 0), ComplexExp::Of(1, 0), {}, {}, r, q, {}};
    }
    // Only steps of the shortest length or longer are ever taken: the
    // levels below stay empty.
    const auto keep = [this](const std::vector<WideStep>& level) {
        std::vector<BlaStep> packed;
        if (static_cast<int>(levels_.size()) >= shortest_) {
            packed.resize(level.size());
            std::transform(level.begin(), level.end(), packed.begin(), Packed);
        }
        levels_.push_back(std::move(packed));
    };
    keep(lower);
    while (lower.size() >= 2) {
        std::vector<WideStep> upper(lower.size() / 2);
        for (size_t t = 0; t < upper.size(); ++t) {
            const WideStep& x = lower[2 * t];
            const WideStep& y = lower[2 * t + 1];
            WideStep& s = upper[t];
            s.a = y.a * x.a;
            s.b = y.a * x.b + y.b;
            s.c = y.a * x.c + y.c * x.a * x.a;
            s.r = x.a.IsZero() ? zero : Max(zero, Min(x.r, (y.r - x.b.Abs() * dcMax) / x.a.Abs()));
            SecondOrder(x, y, s.a, s, dcMax, eps);
        }
        keep(upper);
        lower = std::move(upper);
    }
    // Z_m beside the radius of the shortest step from m as a double, the
    // pixels' first test: none where the iterate is tiny (those pixels step
    // in wide exponent), nor from an index the shortest steps do not start
    // from, nor from m = 0 or the last.
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
            r2 = orbit.IsTiny(m) ? r2 : std::max(r2, step.q2);
        }
        records_[t] = {orbit.re[t], orbit.im[t], r2, 0.0};
    }
    const size_t starts =
        shortest_ < static_cast<int>(levels_.size()) ? levels_[shortest_].size() : 0;
    radiiFrom_.reserve(starts + 1);
    for (size_t t = 0; t < starts; ++t) {
        radiiFrom_.push_back(radii_.size());
        const size_t offset = t << shortest_;
        for (size_t k = shortest_; k < levels_.size() && (offset >> k) < levels_[k].size(); ++k) {
            const BlaStep& step = levels_[k][offset >> k];
            radii_.push_back(step.r2 * Pow2(step.r2e));
            if ((offset >> k) & 1) {
                break;
            }
        }
    }
    radiiFrom_.push_back(radii_.size());
}

// Out of line: the vector lanes' files, compiled for their own instruction
// sets, call it, and an inline copy of theirs could stand in for everyone's.
const BlaStep* BlaTable::Find(int64_t m, double w2, int64_t s, double d2, int64_t most,
                              int64_t& length, bool& second) const {
    second = false;
    if (m < 1 || most < (int64_t{1} << shortest_) || levels_.empty()) {
        return nullptr;
    }
    const int64_t offset = m - 1;
    // A longer step never holds where the shortest from m does not: most
    // iterations end here. Those radii are doubles (0 where there is no
    // such step), and a d2 rounded to 0 is below all of them.
    if (!(d2 < records_[static_cast<size_t>(m)].r2)) {
        return nullptr;
    }
    int top = offset == 0 ? static_cast<int>(levels_.size()) - 1 : __builtin_ctzll(offset);
    top = std::min({top, static_cast<int>(levels_.size()) - 1,
                    63 - __builtin_clzll(static_cast<uint64_t>(most))});
    // Only the levels that have a step from m (the last pair of a level
    // may have no merged step above it).
    while (top > shortest_ && static_cast<size_t>(offset >> top) >= levels_[top].size()) {
        --top;
    }
    const BlaStep& first = levels_[shortest_][static_cast<size_t>(offset >> shortest_)];
    int lo = shortest_;
    if (!first.Holds(w2, s)) {
        // No bilinear step: perhaps one in its second-order form.
        if (s != 0 || !first.HoldsSecond(w2)) {
            return nullptr;
        }
        lo = shortest_ - 1;
    } else if (s == 0) {
        // d is w itself: the radii of the steps from m side by side, in
        // a double each, read one after the other (nearly always a few).
        const size_t t = static_cast<size_t>(offset >> shortest_);
        const size_t from = radiiFrom_[t];
        top = std::min(top, shortest_ + static_cast<int>(radiiFrom_[t + 1] - from) - 1);
        const double* radii = &radii_[from] - shortest_;
        while (lo < top && w2 < radii[lo + 1]) {
            ++lo;
        }
    } else {
        // A longer step from m holds for fewer d (its radius is at most
        // its first half's): the longest that holds by bisection.
        while (lo < top) {
            const int k = (lo + top + 1) / 2;
            if (levels_[k][static_cast<size_t>(offset >> k)].Holds(w2, s)) {
                lo = k;
            } else {
                top = k - 1;
            }
        }
    }
    // A longer step in its second-order form beats a bilinear one; its
    // bounds narrow with the length too.
    int k = std::max(lo, shortest_);
    while (s == 0 && k < top &&
           levels_[k + 1][static_cast<size_t>(offset >> (k + 1))].HoldsSecond(w2)) {
        ++k;
    }
    second = k > lo;
    length = int64_t{1} << k;
    return &levels_[k][static_cast<size_t>(offset >> k)];
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
