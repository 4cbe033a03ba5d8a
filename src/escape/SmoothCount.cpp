#include "escape/SmoothCount.h"

#include <cmath>
#include <limits>

#include "escape/SmoothColouring.h"

// Why nu is smooth. Each map is quadratic at infinity: for the right
// quantity w, log|w_{k+1}| = 2 log|w_k| + e_k with e_k -> 0 as |w_k| grows.
// So log2(log|w_k| / log R) grows by one per iteration (less e_k), and
//   nu = k + 1 - log2(log|w_k| / log R),  k the first index with |w_k| > R,
// is continuous where k changes: as |w_k| falls to R, nu tends to k + 1;
// just below R the first index is k + 1 with |w_{k+1}| near R^2, and nu
// tends to (k + 1) + 1 - log2(2) = k + 1 as well.
//
// - z^2 + c (Mandelbrot, Julia, binary decomposition): w = z, and
//   e_k = log|1 + c / z_k^2|, below 2^-30 for |c| < 4 at R = 2^16.
// - lambda z (1 - z) (the Julia dragons, mandeldragon): with u = -lambda z
//   the map is u <- u^2 + lambda u, so w = lambda z and
//   e_k = log|1 + lambda / u_k|, below |lambda| / R. Read with w = z, e_k
//   would tend to log|lambda| instead: a step of some hundredths at every
//   edge.
// - the phoenix map z <- z^2 + p + q z_{-1}: w = z; the previous iterate is
//   about the square root of the current one out there, so
//   e_k = log|1 + (p + q z_{k-1}) / z_k^2| is below about |q| / R^1.5. The
//   continuation carries the previous iterate along.
//
// The engines stop far below R, at |z| >= 2, and the iteration is carried on
// from the last iterate they produced, z_n. No earlier iterate can be the
// first past R, but for these:
// - The test of z^2 + c, the Julia dragons and the phoenix lags one
//   iteration behind: z_{n-1} failed it and only its squares are left. When
//   |w_{n-1}| > R, k = n - 1. Before it |z| < 2, and |w| < 2 |lambda| is far
//   below R for every dragon's lambda.
// - The mandeldragon's test does not lag: z_n is the first past 2, so
//   |w_{n-1}| < 2 |lambda|, which passes R only for |lambda| > R / 2. Past
//   |lambda| = 8 already z_1 = lambda / 4 fails the test, so there n = 1 and
//   the earlier iterate is the start, the critical point 1/2:
//   u_0 = -lambda / 2 and u_1 = u_0 (u_0 + lambda) = -lambda^2 / 4, so
//   |u_1| = |u_0|^2 exactly and reading nu from either gives the same.

namespace galleri {

namespace {

constexpr double kRadius2 = kSmoothRadius * kSmoothRadius;
constexpr double kLog2Radius = 16.0;  // log2 R
static_assert(kSmoothRadius == 65536.0, "kLog2Radius is log2 of kSmoothRadius");

// Iterations the continuation makes at most. From |z| >= 2 the quadratic
// maps pass R in four or five; an orbit that comes back inside (a dragon
// with |lambda| < 1, where 2 is no escape radius) is left uncoloured.
constexpr int kMostSteps = 64;

// nu for the first index k with |w_k|^2 = m > R^2:
// log|w_k| / log R = log2(m) / (2 log2 R).
double Nu(int64_t k, double m) {
    return static_cast<double>(k) + 1.0 - std::log2(std::log2(m) / (2.0 * kLog2Radius));
}

struct Orbit {
    double zx, zy;
    double ox, oy;  // the phoenix map's previous iterate
};

template <IterationKind kKind>
void Step(Orbit& o, double cx, double cy) {
    if constexpr (kKind == IterationKind::JuliaDragon || kKind == IterationKind::MandelDragon) {
        // z - z^2 = a - ib; times lambda = (cx, cy).
        const double a = (o.zy * o.zy - o.zx * o.zx) + o.zx;
        const double b = (o.zx * o.zy + o.zx * o.zy) - o.zy;
        const double zx = cx * a + cy * b;
        o.zy = cy * a - cx * b;
        o.zx = zx;
    } else if constexpr (kKind == IterationKind::MandelPhoenix) {
        const double nx = ((o.zx * o.zx - o.zy * o.zy) + cx) + cy * o.ox;
        const double ny = (o.zx * 2) * o.zy + cy * o.oy;
        o.ox = o.zx;
        o.oy = o.zy;
        o.zx = nx;
        o.zy = ny;
    } else {
        const double x2 = o.zx * o.zx;
        const double y2 = o.zy * o.zy;
        o.zy = (o.zx * 2) * o.zy + cy;
        o.zx = (x2 - y2) + cx;
    }
}

// nu of a pixel of one kind: the first index k with |w_k| > R, from the
// kernel's last iterate on, unless the iterate before it is past R already.
template <IterationKind kKind>
double CountOf(uint64_t iterations, const IterationEnd& end) {
    constexpr bool kDragon =
        kKind == IterationKind::JuliaDragon || kKind == IterationKind::MandelDragon;
    const double scale2 = kDragon ? end.cx * end.cx + end.cy * end.cy : 1.0;  // |w|^2 / |z|^2
    const auto n = static_cast<int64_t>(iterations);
    if (n >= 1 && end.before2 >= 0 && scale2 * end.before2 > kRadius2) {
        return Nu(n - 1, scale2 * end.before2);
    }
    Orbit orbit{end.zx, end.zy, end.ox, end.oy};
    for (int64_t k = n; k <= n + kMostSteps; ++k) {
        const double m = scale2 * (orbit.zx * orbit.zx + orbit.zy * orbit.zy);
        if (m > kRadius2) {
            return Nu(k, m);
        }
        Step<kKind>(orbit, end.cx, end.cy);
    }
    return std::numeric_limits<double>::quiet_NaN();
}

}  // namespace

double SmoothCount(IterationKind kind, uint64_t iterations, const IterationEnd& end) {
    switch (kind) {
        case IterationKind::Mandelbrot:
        case IterationKind::Julia:
        case IterationKind::BinaryDecomposition:
            return CountOf<IterationKind::Mandelbrot>(iterations, end);
        case IterationKind::JuliaDragon:
        case IterationKind::MandelDragon:
            return CountOf<IterationKind::JuliaDragon>(iterations, end);
        case IterationKind::MandelPhoenix:
            return CountOf<IterationKind::MandelPhoenix>(iterations, end);
    }
    return std::numeric_limits<double>::quiet_NaN();
}

uint32_t SmoothValue(const EscapeParams& params, uint64_t count, const IterationEnd& end) {
    if (params.countStep == 0 || static_cast<int64_t>(count) >= params.limit) {
        return SmoothColouring::kInterior;
    }
    return params.smooth->Value(SmoothCount(params.kind, count / params.countStep, end));
}

}  // namespace galleri
