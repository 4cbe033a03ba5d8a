// The deep pixels' lanes for CPUs with AVX-512: the same 256-bit run, with
// twice the registers (no spills in its loop). AVX-512 has fused
// multiply-adds, so the compiler must not vectorise on its own here: a
// vectorised complex product becomes one (see src/CMakeLists.txt).
#include "deep/QuadraticLanes.h"

#if defined(__x86_64__) || defined(__i386__)

#include "deep/QuadraticLanesKernel.h"

namespace galleri {

void PerturbQuadraticLanesAvx512(const EscapeParams& params, int64_t budget,
                                 const DeepOrbits& orbits, const ComplexExp* deltas, size_t count,
                                 DeepPixel* out) {
    RunQuadraticLanes(params, budget, orbits, deltas, count, out);
}

}  // namespace galleri

#else

#include "deep/QuadraticPixel.h"

namespace galleri {

// Never called off x86: the pixels one at a time.
void PerturbQuadraticLanesAvx512(const EscapeParams& params, int64_t budget,
                                 const DeepOrbits& orbits, const ComplexExp* deltas, size_t count,
                                 DeepPixel* out) {
    for (size_t t = 0; t < count; ++t) {
        out[t] = PerturbQuadratic(params, budget, orbits, deltas[t]);
    }
}

}  // namespace galleri

#endif
