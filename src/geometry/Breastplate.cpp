#include "geometry/Breastplate.h"

#include <cmath>

#include "surface/Checked.h"
#include "surface/Pen.h"
#include "surface/Random.h"
#include "surface/Surface.h"

namespace galleri {

namespace {

// Centre of inversion (the bottom point of the big circle) and its power.
constexpr double kCx = 0;
constexpr double kCy = -220;
constexpr double kPower = 400000;
constexpr double kBigRadius = 220;
constexpr double kSmallRadius = 140;
constexpr int32_t kColumns = 20;
constexpr uint32_t kBoundaryColour = 255;

// Distances from the centre of inversion to the strip's near and far edges,
// half the strip's width and the spacing of its columns.
struct Strip {
    double l = kPower / (2 * kBigRadius);
    double h = kPower / (2 * kSmallRadius);
    double m = (h - l) / 2;
    double o = m * std::sqrt(2.0);
};

// Sets the images of (a ± j, b ± k).
void SetFourPoints(Surface& surface, double a, double b, int32_t j, int32_t k, uint32_t colour) {
    const double left = a - j;
    const double right = a + j;
    const double up = b + k;
    const double down = b - k;
    for (const auto& [px, py] : {std::pair{right, up}, std::pair{left, up}, std::pair{right, down},
                                 std::pair{left, down}}) {
        const LogicalPoint p = InvertedPoint(px, py);
        surface.Plot(p.x, p.y, colour);
    }
}

// One ring of radius rr: the integer midpoint scheme of a circle (an ellipse
// with equal squared semi-axes S). The decision value D is a double because
// it outgrows 32 bits for the larger circles; the products that feed it are
// checked 32-bit integers.
void InvertedRing(Surface& surface, double a, double b, double rr, uint32_t colour) {
    const int32_t s = RoundToI32(rr * rr);
    int32_t k = RoundToI32(rr);
    int32_t j = 0;
    const double sd = s;
    const int32_t twoS = CheckedMul(2, s);
    const int32_t fourS = CheckedMul(4, s);

    double d = std::nearbyint(2 * sd * (k - 1.0) * k + sd + 2 * sd * (1 - sd));
    while (CheckedMul(s, k) > CheckedMul(s, j)) {
        SetFourPoints(surface, a, b, j, k, colour);
        if (d >= 0) {
            k = CheckedSub(k, 1);
            d = d - CheckedMul(fourS, k);
        }
        d = d + CheckedMul(twoS, CheckedAdd(CheckedMul(2, j), 3));
        j = CheckedAdd(j, 1);
    }

    const double jd = j;
    const double kd = k;
    d = std::nearbyint(2 * sd * (jd + 1) * jd + 2 * sd * (kd * (kd - 2) + 1) + (1 - 2 * sd) * sd);
    while (k >= 0) {
        SetFourPoints(surface, a, b, j, k, colour);
        if (d <= 0) {
            j = CheckedAdd(j, 1);
            d = d + CheckedMul(fourS, j);
        }
        k = CheckedSub(k, 1);
        d = d + CheckedMul(twoS, CheckedSub(3, CheckedMul(2, k)));
    }
}

}  // namespace

LogicalPoint InvertedPoint(double px, double py) {
    const double dist = std::sqrt((px - kCx) * (px - kCx) + (py - kCy) * (py - kCy));
    const double q = kPower / (dist * dist);
    return {RoundToI32(kCx + (px - kCx) * q), RoundToI32(-(kCy + (py - kCy) * q))};
}

void InvertedCircle(Surface& surface, double a, double b, double r, uint32_t colour) {
    const int32_t width = surface.PenWidth;
    if (width < 1) {
        return;
    }
    const double inner = r - width / 2.0;
    for (int32_t ring = 0; ring < width; ++ring) {
        InvertedRing(surface, a, b, inner + ring, colour);
    }
}

void InvertedCirclePair(Surface& surface, double x, double y, double r) {
    const auto maxColour = static_cast<int32_t>(Surface::MaxColor());
    uint32_t colour = 1 + static_cast<uint32_t>(Random(surface, maxColour));
    InvertedCircle(surface, x, y, r, colour);
    colour = 1 + static_cast<uint32_t>(Random(surface, maxColour));
    InvertedCircle(surface, -x, y, r, colour);
}

std::array<PatternCircle, 13> BreastplateColumn(int32_t i) {
    const Strip st;
    const double l = st.l;
    const double h = st.h;
    const double m = st.m;
    const double o = st.o;
    const double x = kCx + o * i;
    return {{
        {x, kCy + l + m, m},
        {x, kCy + l + m / 2, m / 2},
        {x, kCy + h - m / 2, m / 2},
        {x + o / 2, kCy + l + 3 * m / 4, m / 4},
        {x + o / 2, kCy + h - 3 * m / 4, m / 4},
        {x + o / 2, kCy + l + m / 8, m / 8},
        {x + o / 2, kCy + h - m / 8, m / 8},
        {x + o / 2, kCy + l + 5 * m / 12, m / 12},
        {x + o / 2, kCy + h - 5 * m / 12, m / 12},
        {x + 0.4 * o, kCy + l + 0.3 * m, m / 10},
        {x + 0.6 * o, kCy + l + 0.3 * m, m / 10},
        {x + 0.4 * o, kCy + h - 0.3 * m, m / 10},
        {x + 0.6 * o, kCy + h - 0.3 * m, m / 10},
    }};
}

void DrawBreastplate(Surface& surface) {
    surface.ClearAndBegin();
    surface.PenWidth = 1;
    DrawEllipse(surface, 0, 0, 220, kBoundaryColour, 1);
    DrawEllipse(surface, 0, 80, 140, kBoundaryColour, 1);
    for (int32_t i = 0; i < kColumns; ++i) {
        for (const PatternCircle& c : BreastplateColumn(i)) {
            InvertedCirclePair(surface, c.x, c.y, c.r);
        }
    }
    surface.EndRender();
}

}  // namespace galleri
