#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "deep/FloatExp.h"
#include "deep/Perturbation.h"
#include "escape/EscapeKernels.h"

namespace galleri {

// PerturbPixel for z^2 + c and its Julia sets (Mandelbrot, Julia, binary
// decomposition) at any depth: the pixel's point differs from the
// reference's by `delta` (the parameter, or for the Julia sets the starting
// point), in wide exponent. Its difference d is held as w 2^s, a double
// scaled by a power of two of its own, so the iteration is the double one,
// rounded alike, wherever d is within a double's range, and goes on below
// it; it steps in wide exponent only from the reference's tiny iterates,
// where d^2 can outweigh 2Z d (the start 0, a minibrot's nucleus).
DeepPixel PerturbQuadratic(const EscapeParams& params, int64_t budget, const DeepOrbits& orbits,
                           ComplexExp delta);

// The vector lanes the plain iterations of several pixels may run in side
// by side: none, AVX2, or AVX2's lanes with AVX-512's registers.
enum class LaneSet { None, Avx2, Avx512 };
// The best this CPU has.
LaneSet BestLaneSet();
// Those this CPU has, None first.
std::vector<LaneSet> AvailableLaneSets();

// PerturbQuadratic for the pixels deltas[0 .. count) into out[], the same
// pixels bit for bit in any lanes (those this CPU lacks fall back on the
// best it has).
void PerturbQuadraticMany(const EscapeParams& params, int64_t budget, const DeepOrbits& orbits,
                          const ComplexExp* deltas, size_t count, DeepPixel* out, LaneSet lanes);

}  // namespace galleri
