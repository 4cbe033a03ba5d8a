#include "escape/EscapeKernels.h"

#include <cmath>
#include <limits>

#include "escape/SmoothCount.h"

namespace galleri {

namespace {

constexpr uint32_t kMaxColor = 0xFFFFFF;

// Per-pixel iterations. Each returns Count and leaves the state the colour
// rule needs. The escape test of the z^2 + c family lags one iteration
// behind: it sees the squares that the previous iteration formed, so it
// judges the iterate that iteration started from.

struct Final {
    uint64_t count;         // wide: a raised budget times the step cannot wrap it
    double zx, zy;          // the last iterate produced
    double x2 = 0, y2 = 0;  // squares left by the last iteration
    double ox = 0, oy = 0;  // the phoenix map's previous iterate
};

Final IterateQuadratic(const EscapeParams& p, double zx, double zy, double cx, double cy) {
    double x2 = 0, y2 = 0;
    uint64_t count = 0;
    while (static_cast<int64_t>(count) < p.limit && x2 + y2 < 4.0) {
        x2 = zx * zx;
        y2 = zy * zy;
        zy = (zx * 2) * zy + cy;
        zx = (x2 - y2) + cx;
        count += p.countStep;
    }
    return {count, zx, zy, x2, y2};
}

Final IterateJuliaDragon(const EscapeParams& p, double zx, double zy) {
    const double P = p.cx, Q = p.cy;
    double x2 = 0, y2 = 0;
    uint64_t count = 0;
    while (static_cast<int64_t>(count) < p.limit && x2 + y2 < 4.0) {
        x2 = zx * zx;
        y2 = zy * zy;
        const double a = (y2 - x2) + zx;
        const double b = (zx * zy + zx * zy) - zy;
        zy = Q * a - P * b;
        zx = P * a + Q * b;
        count += p.countStep;
    }
    return {count, zx, zy, x2, y2};
}

Final IterateMandelDragon(const EscapeParams& p, double px, double py) {
    double zx = 0.5, zy = 0;
    uint64_t count = 0;
    // No lag here: the test squares the current iterate.
    while (zx * zx + zy * zy < 4.0 && static_cast<int64_t>(count) < p.limit) {
        const double a = (zy - zx) * (zy + zx) + zx;
        const double b = (zx * zy + zx * zy) - zy;
        zx = px * a + py * b;
        zy = py * a - px * b;
        count += p.countStep;
    }
    return {count, zx, zy};
}

Final IterateMandelPhoenix(const EscapeParams& p, double px, double py) {
    double zx = 0, zy = 0, ox = 0, oy = 0, x2 = 0, y2 = 0;
    uint64_t count = 0;
    while (static_cast<int64_t>(count) < p.limit && x2 + y2 < 4.0) {
        x2 = zx * zx;
        y2 = zy * zy;
        const double nx = ((x2 - y2) + px) + py * ox;
        const double ny = (zx * 2) * zy + py * oy;
        ox = zx;
        oy = zy;
        zx = nx;
        zy = ny;
        count += p.countStep;
    }
    return {count, zx, zy, x2, y2, ox, oy};
}

// The iteration of the pixel at (px, py), by its kind.
Final Iterate(const EscapeParams& p, double px, double py) {
    switch (p.kind) {
        case IterationKind::Mandelbrot:
            return IterateQuadratic(p, 0, 0, px, py);
        case IterationKind::Julia:
        case IterationKind::BinaryDecomposition:
            return IterateQuadratic(p, px, py, p.cx, p.cy);
        case IterationKind::JuliaDragon:
            return IterateJuliaDragon(p, px, py);
        case IterationKind::MandelDragon:
            return IterateMandelDragon(p, px, py);
        case IterationKind::MandelPhoenix:
            return IterateMandelPhoenix(p, px, py);
    }
    return {};
}

// What the smooth colouring reads of an iteration that ended in f; c is
// the pixel's point for the kinds whose parameter it is.
IterationEnd EndOf(const EscapeParams& p, const Final& f, double px, double py) {
    IterationEnd end{f.zx, f.zy, f.x2 + f.y2, f.ox, f.oy, p.cx, p.cy};
    switch (p.kind) {
        case IterationKind::Mandelbrot:
        case IterationKind::MandelPhoenix:
            end.cx = px;
            end.cy = py;
            break;
        case IterationKind::MandelDragon:
            end.before2 = -1;
            end.cx = px;
            end.cy = py;
            break;
        case IterationKind::Julia:
        case IterationKind::JuliaDragon:
        case IterationKind::BinaryDecomposition:
            break;
    }
    return end;
}

// Colour of a point that stayed: the squared magnitude S of the iterate the
// last iteration started from, spread over 1..MaxColor.
uint32_t InsideColour(double s) {
    const int64_t t = static_cast<int64_t>(s * static_cast<double>(kMaxColor));
    return static_cast<uint32_t>(t % static_cast<int64_t>(kMaxColor)) + 1;
}

double ArcCosine(double t) {
    return std::atan(std::sqrt(1 - t * t) / t);
}

uint32_t BinaryColour(double zx, double zy) {
    if (zx == 0) {
        return kMaxColor;
    }
    const double t = std::fabs(zx) / std::sqrt(zx * zx + zy * zy);
    double phi = ArcCosine(t);
    if (zx < 0 && zy >= 0) {
        phi = phi + 1.5707963;
    } else if (zx < 0 && zy < 0) {
        phi = phi + 3.14159625;
    } else if (zx > 0 && zy < 0) {
        phi = phi + 4.7123889;
    }
    return (phi >= 0 && phi <= 3.14159625) ? kMaxColor : 0;
}

}  // namespace

uint32_t FinalColour(const EscapeParams& p, uint64_t count, double zx, double zy, double x2,
                     double y2) {
    switch (p.kind) {
        case IterationKind::Mandelbrot:
        case IterationKind::MandelDragon:
        case IterationKind::MandelPhoenix:
            return static_cast<uint32_t>(count % (kMaxColor + 1));
        case IterationKind::Julia:
            if (static_cast<int64_t>(count) < p.limit) {
                return kMaxColor - 1;
            }
            return InsideColour(x2 + y2) % (kMaxColor + 1);
        case IterationKind::JuliaDragon:
            if (static_cast<int64_t>(count) < p.limit) {
                return kMaxColor;
            }
            return InsideColour(x2 + y2) % (kMaxColor + 1);
        case IterationKind::BinaryDecomposition:
            return BinaryColour(zx, zy);
    }
    return 0;
}

uint32_t EscapeColour(const EscapeParams& p, double px, double py) {
    const Final f = Iterate(p, px, py);
    if (p.smooth != nullptr) {
        return SmoothValue(p, f.count, EndOf(p, f, px, py));
    }
    return FinalColour(p, f.count, f.zx, f.zy, f.x2, f.y2);
}

uint64_t EscapeIterations(const EscapeParams& p, double px, double py) {
    return Iterate(p, px, py).count / p.countStep;
}

double EscapeSmoothCount(const EscapeParams& p, double px, double py) {
    const Final f = Iterate(p, px, py);
    if (p.countStep == 0 || static_cast<int64_t>(f.count) >= p.limit) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return SmoothCount(p.kind, f.count / p.countStep, EndOf(p, f, px, py));
}

}  // namespace galleri
