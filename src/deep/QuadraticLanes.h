#pragma once

#include <cstddef>
#include <cstdint>

#include "deep/FloatExp.h"
#include "deep/Perturbation.h"
#include "escape/EscapeKernels.h"

namespace galleri {

// PerturbQuadratic for pixels deltas[0 .. count) into out[], the plain
// iterations of eight of them side by side in AVX2 lanes. Only on a CPU
// that has AVX2.
void PerturbQuadraticLanesAvx2(const EscapeParams& params, int64_t budget, const DeepOrbits& orbits,
                               const ComplexExp* deltas, size_t count, DeepPixel* out);

}  // namespace galleri
