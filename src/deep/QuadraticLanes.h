#pragma once

#include <cstddef>
#include <cstdint>

#include "deep/FloatExp.h"
#include "deep/Perturbation.h"
#include "escape/EscapeKernels.h"

namespace galleri {

// PerturbQuadratic for pixels deltas[0 .. count) into out[], the plain
// iterations of eight of them side by side in 256-bit lanes: with AVX2
// only, or with AVX-512 (AVX-512F and VL) and its registers. Each only on
// a CPU that has it.
void PerturbQuadraticLanesAvx2(const EscapeParams& params, int64_t budget, const DeepOrbits& orbits,
                               const ComplexExp* deltas, size_t count, DeepPixel* out);
void PerturbQuadraticLanesAvx512(const EscapeParams& params, int64_t budget,
                                 const DeepOrbits& orbits, const ComplexExp* deltas, size_t count,
                                 DeepPixel* out);

}  // namespace galleri
