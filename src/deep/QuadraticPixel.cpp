#include "deep/QuadraticPixel.h"

#include "deep/QuadraticLanes.h"
#include "deep/QuadraticWalk.h"

namespace galleri {

DeepPixel PerturbQuadratic(const EscapeParams& params, int64_t budget, const DeepOrbits& orbits,
                           ComplexExp delta) {
    Walk walk(params, budget, orbits, delta);
    return Finish(walk);
}

namespace {

bool HasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
#else
    return false;
#endif
}

}  // namespace

void PerturbQuadraticMany(const EscapeParams& params, int64_t budget, const DeepOrbits& orbits,
                          const ComplexExp* deltas, size_t count, DeepPixel* out, bool lanes) {
    if (lanes && HasAvx2()) {
        PerturbQuadraticLanesAvx2(params, budget, orbits, deltas, count, out);
        return;
    }
    for (size_t t = 0; t < count; ++t) {
        out[t] = PerturbQuadratic(params, budget, orbits, deltas[t]);
    }
}

}  // namespace galleri
