#pragma once

#include <cstdint>

#include "deep/Bla.h"
#include "deep/ReferenceOrbit.h"
#include "escape/EscapeKernels.h"

namespace galleri {

// How a pixel of a deep picture ended: its iterations, the last iterate
// and the squares its last iteration formed (those of the iterate it
// started from), as the plain iteration would have left them; and whether
// its difference from the reference could not be carried on exactly (the
// reference ended while the pixel was far from the critical point), so that
// it must be computed again against another reference.
struct DeepPixel {
    int64_t n = 0;
    double zr = 0, zi = 0;
    double x2 = 0, y2 = 0;
    bool glitched = false;
    int64_t glitchedAt = 0;  // iterations made when it glitched
    // For the smooth colouring, which carries the iteration on from the
    // last iterate: the pixel's parameter in doubles (c, lambda, or (p, q);
    // the Julia constant for the Julia-type maps) and the phoenix map's
    // previous iterate.
    double cr = 0, ci = 0;
    double ozr = 0, ozi = 0;
};

// What a pixel iterates against: its reference orbit, the reference's own
// point where the map needs it (the Mandelbrot-type maps' parameter), and
// for the Julia-type maps the critical orbit it falls back on.
struct DeepOrbits {
    const ReferenceOrbit* reference = nullptr;
    const ReferenceOrbit* critical = nullptr;  // Julia-type maps only
    double pointRe = 0, pointIm = 0;           // the reference's parameter, rounded
    // Steps that skip many iterations at once (the quadratic maps), for the
    // reference and the critical orbit; null: one iteration at a time.
    const BlaTable* referenceSteps = nullptr;
    const BlaTable* criticalSteps = nullptr;
};

// Iterates one pixel whose point differs from the reference's by (dre, dim)
// (for the Mandelbrot-type maps the parameter, for the Julia-type maps the
// starting point; for the phoenix map p and q) for at most `budget`
// iterations, in double, by perturbation: only the pixel's difference from
// the reference orbit is iterated, z = Z + d. Whenever the pixel comes
// nearer the map's critical point than the reference is, it starts again
// from the critical point's own orbit (rebasing), so one reference serves
// the whole picture. The escape test and its lag are the figure's own.
DeepPixel PerturbPixel(const EscapeParams& params, int64_t budget, const DeepOrbits& orbits,
                       double dre, double dim);

// The colour of a deep pixel by the figure's own rule, with a counter that
// cannot wrap; under params.smooth its smooth value, which the scan colours.
uint32_t DeepColour(const EscapeParams& params, int64_t budget, const DeepPixel& pixel);

}  // namespace galleri
