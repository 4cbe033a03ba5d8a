// The smooth colouring's escape count nu against its definition: iterate
// from the start until |w| > R, w = z (lambda z for the dragon maps), and
// nu = k + 1 - log2(log|w_k| / log R).

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <string>
#include <vector>

#include "escape/EscapeKernels.h"
#include "escape/SmoothCount.h"

namespace galleri {
namespace {

using Complex = std::complex<double>;
using IK = IterationKind;

EscapeParams Params(IK kind, double cx = 0, double cy = 0) {
    EscapeParams p;
    p.kind = kind;
    p.limit = 5000;
    p.countStep = 1;
    p.cx = cx;
    p.cy = cy;
    return p;
}

// nu by the definition, with nothing of the engines' escape test, or NaN
// when the orbit stays within R for the whole budget.
double DirectNu(const EscapeParams& p, double px, double py, int64_t* firstPast = nullptr) {
    const Complex point(px, py);
    const Complex c(p.cx, p.cy);
    Complex z = 0;
    Complex previous = 0;
    Complex scale = 1;
    switch (p.kind) {
        case IK::Mandelbrot:
        case IK::MandelPhoenix:
            break;
        case IK::Julia:
        case IK::BinaryDecomposition:
            z = point;
            break;
        case IK::JuliaDragon:
            z = point;
            scale = c;
            break;
        case IK::MandelDragon:
            z = 0.5;
            scale = point;
            break;
    }
    for (int64_t k = 0; k < p.limit; ++k) {
        const double w = std::abs(scale * z);
        if (w > kSmoothRadius) {
            if (firstPast != nullptr) {
                *firstPast = k;
            }
            return static_cast<double>(k) + 1 - std::log2(std::log(w) / std::log(kSmoothRadius));
        }
        const Complex next = p.kind == IK::Mandelbrot      ? z * z + point
                             : p.kind == IK::MandelPhoenix ? z * z + px + py * previous
                             : p.kind == IK::JuliaDragon   ? c * z * (1.0 - z)
                             : p.kind == IK::MandelDragon  ? point * z * (1.0 - z)
                                                           : z * z + c;
        previous = z;
        z = next;
    }
    return std::numeric_limits<double>::quiet_NaN();
}

// One map with a segment of its plane that crosses many bands.
struct MapCase {
    const char* name;
    EscapeParams params;
    double x0, y0, x1, y1;
};

const std::vector<MapCase>& MapCases() {
    static const std::vector<MapCase> cases = {
        {"Mandelbrot", Params(IK::Mandelbrot), -2.2, 0.3, 0.5, 1.1},
        {"Julia", Params(IK::Julia, 0.238498, 0.519198), -1.8, -1.2, 1.8, 1.0},
        {"binary decomposition", Params(IK::BinaryDecomposition, 0.318623, 0.0429799), -2.0, 0.3,
         2.0, -0.2},
        {"Julia dragon", Params(IK::JuliaDragon, 1.646009, 0.967049), -0.4, -0.8, 1.4, 0.7},
        {"mandeldragon", Params(IK::MandelDragon), -2.2, 1.4, 4.2, -0.9},
        {"mandelphoenix", Params(IK::MandelPhoenix), -2.1, -1.9, 1.5, 1.7},
    };
    return cases;
}

// Known points: closed forms where z^2 stays exact, and points where the
// first iterate past R comes before the engine's last one (far Julia
// starts; a mandeldragon lambda so large that lambda / 2 is past R).
TEST(SmoothCount, KnownPoints) {
    const double log2R = std::log2(kSmoothRadius);
    struct Point {
        const char* name;
        EscapeParams params;
        double px, py;
        double nu;
    };
    const std::vector<Point> points = {
        // z <- z^2 from z0: |z_k| = |z0|^(2^k), so nu = 1 - log2(log2|z0| / log2 R)
        // whatever the band.
        {"z^2 from 3", Params(IK::Julia), 3, 0, 1 - std::log2(std::log2(3.0) / log2R)},
        {"z^2 from 1.2+1.3i", Params(IK::Julia), 1.2, 1.3,
         1 - std::log2(std::log2(std::abs(Complex(1.2, 1.3))) / log2R)},
        {"z^2 from 300", Params(IK::Julia), 300, 0, 1 - std::log2(std::log2(300.0) / log2R)},
        {"z^2 from 1e6, past R at the start", Params(IK::Julia), 1e6, 0,
         1 - std::log2(std::log2(1e6) / log2R)},
        // c = 1: 0, 1, 2, 5, 26, 677, 458330: z_6 is the first past 2^16.
        {"Mandelbrot c = 1", Params(IK::Mandelbrot), 1, 0, 7 - std::log2(std::log2(458330.0) / 16)},
        // z_0 is past R, and z_1 = z_0^2 + c differs from z_0^2 enough to tell.
        {"Julia c = 1e9 from 1e5", Params(IK::Julia, 1e9, 0), 1e5, 0,
         1 - std::log2(std::log2(1e5) / 16)},
        {"mandeldragon lambda = 3e5", Params(IK::MandelDragon), 3e5, 0,
         1 - std::log2(std::log2(1.5e5) / 16)},
    };
    for (const Point& p : points) {
        EXPECT_NEAR(EscapeSmoothCount(p.params, p.px, p.py), p.nu, 1e-12) << p.name;
        EXPECT_NEAR(DirectNu(p.params, p.px, p.py), p.nu, 1e-12) << p.name;
    }
    // A point that never escapes has no nu.
    EXPECT_TRUE(std::isnan(EscapeSmoothCount(Params(IK::Mandelbrot), -0.1, 0.1)));
}

// Whether an orbit escaped soon enough for two computations of it to agree
// closely: longer orbits near a set carry rounding apart, and points 2^-44
// apart to orbits of their own.
bool Short(double nu) {
    return nu < 30;
}

// The largest step nu makes within [a, b]: the interval halved 44 times,
// keeping the half where nu changes more. A jump stays; a smooth change
// shrinks to nothing.
template <typename Nu>
double LargestStep(const Nu& nu, double a, double b) {
    for (int k = 0; k < 44; ++k) {
        const double mid = (a + b) / 2;
        if (!Short(nu(mid))) {
            return 0;  // an orbit too long to tell
        }
        (std::abs(nu(mid) - nu(a)) >= std::abs(nu(b) - nu(mid)) ? b : a) = mid;
    }
    return std::abs(nu(b) - nu(a));
}

// Along each segment the engine's nu is the definition's, and it makes no
// step anywhere, though the segment crosses many band edges: where the
// engine's count changes and where the first index past R does.
TEST(SmoothCount, ContinuousAcrossBandEdgesAndEqualToTheDefinition) {
    constexpr int kSteps = 400;
    for (const MapCase& m : MapCases()) {
        SCOPED_TRACE(m.name);
        const auto at = [&](double t) {
            return std::pair{m.x0 + (m.x1 - m.x0) * t, m.y0 + (m.y1 - m.y0) * t};
        };
        const auto nu = [&](double t) {
            const auto [x, y] = at(t);
            return EscapeSmoothCount(m.params, x, y);
        };
        // Which bands a point lies in: the engine's count and the first
        // index past R.
        const auto bands = [&](double t) {
            const auto [x, y] = at(t);
            int64_t k = -1;
            DirectNu(m.params, x, y, &k);
            return std::pair{EscapeIterations(m.params, x, y), k};
        };
        int engineEdges = 0;
        int radiusEdges = 0;
        for (int s = 0; s < kSteps; ++s) {
            const double a = static_cast<double>(s) / kSteps;
            const double b = static_cast<double>(s + 1) / kSteps;
            if (!Short(nu(a)) || !Short(nu(b))) {
                continue;
            }
            EXPECT_NEAR(nu(a), DirectNu(m.params, at(a).first, at(a).second), 1e-9)
                << "at " << at(a).first << ", " << at(a).second;
            engineEdges += bands(a).first != bands(b).first;
            radiusEdges += bands(a).second != bands(b).second;
            EXPECT_LT(LargestStep(nu, a, b), 1e-4)
                << "near " << at(a).first << ", " << at(a).second;
        }
        EXPECT_GT(engineEdges, 5);
        EXPECT_GT(radiusEdges, 5);
    }
}

}  // namespace
}  // namespace galleri
