#include "deep/Bla.h"

#include <algorithm>
#include <cmath>

namespace galleri {

BlaTable::BlaTable(const ReferenceOrbit& orbit, double dcMax, double epsilon) {
    const int64_t last = orbit.Last();
    if (last < 2) {
        return;
    }
    // One step from m to m + 1 for m = 1 .. last - 1.
    std::vector<BlaStep> single(static_cast<size_t>(last - 1));
    for (int64_t m = 1; m < last; ++m) {
        const double zr = orbit.re[static_cast<size_t>(m)];
        const double zi = orbit.im[static_cast<size_t>(m)];
        const double z = std::hypot(zr, zi);
        // d^2 negligible beside 2Z d, and z = Z + d still inside |z| < 2.
        const double r = std::max(0.0, std::min(epsilon * 2 * z, 2 - z));
        single[static_cast<size_t>(m - 1)] = {2 * zr, 2 * zi, 1, 0, r, r * r};
    }
    firstRadius2_.reserve(single.size());
    for (const BlaStep& step : single) {
        firstRadius2_.push_back(step.r2);
    }
    levels_.push_back(std::move(single));
    while (levels_.back().size() >= 2) {
        const std::vector<BlaStep>& lower = levels_.back();
        std::vector<BlaStep> upper(lower.size() / 2);
        for (size_t t = 0; t < upper.size(); ++t) {
            const BlaStep& x = lower[2 * t];
            const BlaStep& y = lower[2 * t + 1];
            BlaStep& s = upper[t];
            s.ar = y.ar * x.ar - y.ai * x.ai;
            s.ai = y.ar * x.ai + y.ai * x.ar;
            s.br = (y.ar * x.br - y.ai * x.bi) + y.br;
            s.bi = (y.ar * x.bi + y.ai * x.br) + y.bi;
            const double ax = std::hypot(x.ar, x.ai);
            const double bx = std::hypot(x.br, x.bi);
            s.r = std::max(0.0, std::min(x.r, (y.r - bx * dcMax) / ax));
            s.r2 = s.r * s.r;
        }
        levels_.push_back(std::move(upper));
    }
}

size_t BlaTable::Bytes() const {
    size_t n = firstRadius2_.size() * sizeof(double);
    for (const auto& level : levels_) {
        n += level.size() * sizeof(BlaStep);
    }
    return n;
}

}  // namespace galleri
