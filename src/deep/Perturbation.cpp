#include "deep/Perturbation.h"

#include <algorithm>
#include <cmath>

#include "deep/QuadraticPixel.h"
#include "escape/SmoothColouring.h"
#include "escape/SmoothCount.h"

namespace galleri {

namespace {

// The critical point of the kind's map: 0 for z^2 + c, 1/2 for the dragon
// map lambda z (1 - z).
double CriticalRe(IterationKind kind) {
    return kind == IterationKind::JuliaDragon || kind == IterationKind::MandelDragon ? 0.5 : 0.0;
}

struct State {
    const ReferenceOrbit* orbit;
    int64_t m = 0;  // index into the orbit
    double dr = 0, di = 0;
};

// lambda z (1 - z): d' = lambda d (1 - 2Z - d), and for the parameter plane
// + dlambda z (1 - z) with z = Z + d.
inline void StepDragon(double Zr, double Zi, State& s, double lr, double li, double dlr,
                       double dli) {
    const double ur = (1 - 2 * Zr) - s.dr, ui = -2 * Zi - s.di;
    const double vr = s.dr * ur - s.di * ui, vi = s.dr * ui + s.di * ur;
    double nr = lr * vr - li * vi, ni = lr * vi + li * vr;
    if (dlr != 0 || dli != 0) {
        const double zr = Zr + s.dr, zi = Zi + s.di;
        const double wr = 1 - zr, wi = -zi;
        const double pr = zr * wr - zi * wi, pi = zr * wi + zi * wr;
        nr += dlr * pr - dli * pi;
        ni += dlr * pi + dli * pr;
    }
    s.dr = nr;
    s.di = ni;
}

}  // namespace

DeepPixel PerturbPixel(const EscapeParams& params, int64_t budget, const DeepOrbits& orbits,
                       double dre, double dim) {
    const IterationKind kind = params.kind;
    const bool julia = kind == IterationKind::Julia || kind == IterationKind::BinaryDecomposition ||
                       kind == IterationKind::JuliaDragon;
    const bool phoenix = kind == IterationKind::MandelPhoenix;
    const bool lagging = kind != IterationKind::MandelDragon;
    if (kind == IterationKind::Mandelbrot || kind == IterationKind::Julia ||
        kind == IterationKind::BinaryDecomposition) {
        return PerturbQuadratic(params, budget, orbits,
                                ComplexExp::Of(FloatExp::Of(dre), FloatExp::Of(dim)));
    }
    const double critical = CriticalRe(kind);
    const ReferenceOrbit* fallback = julia ? orbits.critical : orbits.reference;

    State s{orbits.reference};
    double dcr = 0, dci = 0;  // the parameter's difference
    if (julia) {
        s.dr = dre;
        s.di = dim;
    } else {
        dcr = dre;
        dci = dim;
    }
    // The phoenix map's previous iterate and its difference.
    double pdr = 0, pdi = 0;

    DeepPixel px;
    int64_t n = 0;
    double x2 = 0, y2 = 0;
    while (n < budget) {
        double Zr = s.orbit->re[static_cast<size_t>(s.m)];
        double Zi = s.orbit->im[static_cast<size_t>(s.m)];
        double zr = Zr + s.dr, zi = Zi + s.di;
        if (!phoenix) {
            // Nearer the critical point than to the reference: carry on from
            // the critical point's orbit, with the difference from it.
            const double cr = zr - critical;
            const double dd = s.dr * s.dr + s.di * s.di;
            const bool nearer = cr * cr + zi * zi < dd;
            const bool ended = s.m == s.orbit->Last();
            if ((nearer && (s.m > 0 || s.orbit != fallback)) || ended) {
                if (ended && !nearer && !px.glitched) {
                    px.glitched = true;
                    px.glitchedAt = n;
                }
                s.orbit = fallback;
                s.m = 0;
                s.dr = cr;
                s.di = zi;
                Zr = s.orbit->re[0];
                Zi = s.orbit->im[0];
                zr = Zr + s.dr;
                zi = Zi + s.di;
            }
        } else if (s.m == s.orbit->Last() && !px.glitched) {
            // The phoenix map cannot start again (its state is two iterates):
            // past the reference's end the pixel needs another reference.
            px.glitched = true;
            px.glitchedAt = n;
            break;
        }
        if (lagging) {
            // The test looks at the squares the previous iteration formed.
            if (!(x2 + y2 < 4.0)) {
                break;
            }
            x2 = zr * zr;
            y2 = zi * zi;
        } else if (!(zr * zr + zi * zi < 4.0)) {
            break;
        }
        if (phoenix) {
            // d' = 2Z d + d^2 + dp + Q dprev + dq (Zprev + dprev), p and q real.
            const double Pr = s.m > 0 ? s.orbit->re[static_cast<size_t>(s.m - 1)] : 0.0;
            const double Pi = s.m > 0 ? s.orbit->im[static_cast<size_t>(s.m - 1)] : 0.0;
            const double q = orbits.pointIm;
            const double tr = 2 * Zr + s.dr, ti = 2 * Zi + s.di;
            const double nr = (tr * s.dr - ti * s.di) + dcr + q * pdr + dci * (Pr + pdr);
            const double ni = (tr * s.di + ti * s.dr) + q * pdi + dci * (Pi + pdi);
            pdr = s.dr;
            pdi = s.di;
            s.dr = nr;
            s.di = ni;
        } else if (kind == IterationKind::JuliaDragon) {
            StepDragon(Zr, Zi, s, params.cx, params.cy, 0, 0);
        } else {
            StepDragon(Zr, Zi, s, orbits.pointRe, orbits.pointIm, dcr, dci);
        }
        ++s.m;
        ++n;
    }
    // The last iterate produced, for the colour rules that read it.
    const size_t m = static_cast<size_t>(std::min(s.m, s.orbit->Last()));
    px.zr = s.orbit->re[m] + s.dr;
    px.zi = s.orbit->im[m] + s.di;
    px.n = n;
    px.x2 = x2;
    px.y2 = y2;
    if (julia) {
        px.cr = params.cx;
        px.ci = params.cy;
    } else {
        px.cr = orbits.pointRe + dcr;
        px.ci = orbits.pointIm + dci;
    }
    if (phoenix && m > 0) {
        px.ozr = s.orbit->re[m - 1] + pdr;
        px.ozi = s.orbit->im[m - 1] + pdi;
    }
    return px;
}

uint32_t DeepColour(const EscapeParams& params, int64_t budget, const DeepPixel& pixel) {
    if (params.smooth != nullptr) {
        if (pixel.n >= budget) {
            return SmoothColouring::kInterior;
        }
        const bool lagging = params.kind != IterationKind::MandelDragon;
        const IterationEnd end{pixel.zr,  pixel.zi,  lagging ? pixel.x2 + pixel.y2 : -1.0,
                               pixel.ozr, pixel.ozi, pixel.cr,
                               pixel.ci};
        return params.smooth->Value(SmoothCount(params.kind, static_cast<uint64_t>(pixel.n), end));
    }
    // The rules that only ask whether the budget was reached see 0 or 1
    // against a limit of 1; those that show the counter see it whole.
    EscapeParams p = params;
    uint64_t count = 0;
    switch (params.kind) {
        case IterationKind::Mandelbrot:
        case IterationKind::MandelDragon:
        case IterationKind::MandelPhoenix:
            count = static_cast<uint64_t>(pixel.n) * params.countStep;
            break;
        case IterationKind::Julia:
        case IterationKind::JuliaDragon:
        case IterationKind::BinaryDecomposition:
            p.limit = 1;
            count = pixel.n < budget ? 0 : 1;
            break;
    }
    return FinalColour(p, count, pixel.zr, pixel.zi, pixel.x2, pixel.y2);
}

}  // namespace galleri
