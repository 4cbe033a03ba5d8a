// The deep pixels' lanes for AVX2. Compiled with -mavx2 and no -mfma.
#include "deep/QuadraticLanes.h"

#if defined(__x86_64__) || defined(__i386__)

#include "deep/QuadraticLanesKernel.h"

namespace galleri {

void PerturbQuadraticLanesAvx2(const EscapeParams& params, int64_t budget, const DeepOrbits& orbits,
                               const ComplexExp* deltas, size_t count, DeepPixel* out) {
    RunQuadraticLanes(params, budget, orbits, deltas, count, out);
}

}  // namespace galleri

#else

#include "deep/QuadraticPixel.h"

namespace galleri {

// Never called off x86: the pixels one at a time.
void PerturbQuadraticLanesAvx2(const EscapeParams& params, int64_t budget, const DeepOrbits& orbits,
                               const ComplexExp* deltas, size_t count, DeepPixel* out) {
    for (size_t t = 0; t < count; ++t) {
        out[t] = PerturbQuadratic(params, budget, orbits, deltas[t]);
    }
}

}  // namespace galleri

#endif
