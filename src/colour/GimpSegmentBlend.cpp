#include "colour/GimpSegmentBlend.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace galleri {

namespace {

constexpr double kEpsilon = 1e-10;

// Two straight pieces that meet at (middle, 0.5).
double Linear(double middle, double pos) {
    if (pos <= middle) {
        return middle < kEpsilon ? 0.0 : 0.5 * pos / middle;
    }
    const double right = 1.0 - middle;
    return right < kEpsilon ? 1.0 : 0.5 + 0.5 * (pos - middle) / right;
}

// The power of pos that is 0.5 at the middle. Kept off 0 and 1, where the
// exponent has no value.
double Curved(double middle, double pos) {
    const double m = std::clamp(middle, kEpsilon, 1.0 - kEpsilon);
    return std::pow(pos, std::log(0.5) / std::log(m));
}

}  // namespace

double GimpBlendFactor(GimpBlend blend, double middle, double pos) {
    double f = 0.0;
    switch (blend) {
        case GimpBlend::kLinear:
            f = Linear(middle, pos);
            break;
        case GimpBlend::kCurved:
            f = Curved(middle, pos);
            break;
        case GimpBlend::kSine:
            f = (std::sin(-std::numbers::pi / 2.0 + std::numbers::pi * Linear(middle, pos)) + 1.0) /
                2.0;
            break;
        case GimpBlend::kSphereIncreasing: {
            const double g = Linear(middle, pos) - 1.0;
            f = std::sqrt(std::max(0.0, 1.0 - g * g));
            break;
        }
        case GimpBlend::kSphereDecreasing: {
            const double g = Linear(middle, pos);
            f = 1.0 - std::sqrt(std::max(0.0, 1.0 - g * g));
            break;
        }
        case GimpBlend::kStep:
            f = pos >= middle ? 1.0 : 0.0;
            break;
    }
    return std::clamp(f, 0.0, 1.0);
}

}  // namespace galleri
