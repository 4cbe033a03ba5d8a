#include "deep/QuadraticPixel.h"

#include "deep/QuadraticLanes.h"
#include "deep/QuadraticWalk.h"

namespace galleri {

DeepPixel PerturbQuadratic(const EscapeParams& params, int64_t budget, const DeepOrbits& orbits,
                           ComplexExp delta) {
    Walk walk(params, budget, orbits, delta);
    return Finish(walk);
}

LaneSet BestLaneSet() {
#if defined(__x86_64__) || defined(__i386__)
    static const LaneSet best =
        __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") ? LaneSet::Avx512
        : __builtin_cpu_supports("avx2")                                        ? LaneSet::Avx2
                                                                                : LaneSet::None;
    return best;
#else
    return LaneSet::None;
#endif
}

std::vector<LaneSet> AvailableLaneSets() {
    std::vector<LaneSet> sets{LaneSet::None};
    const LaneSet best = BestLaneSet();
    if (best != LaneSet::None) {
        sets.push_back(LaneSet::Avx2);
    }
    if (best == LaneSet::Avx512) {
        sets.push_back(LaneSet::Avx512);
    }
    return sets;
}

void PerturbQuadraticMany(const EscapeParams& params, int64_t budget, const DeepOrbits& orbits,
                          const ComplexExp* deltas, size_t count, DeepPixel* out, LaneSet lanes) {
    const LaneSet best = BestLaneSet();
    if (lanes == LaneSet::Avx512 && best == LaneSet::Avx512) {
        PerturbQuadraticLanesAvx512(params, budget, orbits, deltas, count, out);
        return;
    }
    if (lanes != LaneSet::None && best != LaneSet::None) {
        PerturbQuadraticLanesAvx2(params, budget, orbits, deltas, count, out);
        return;
    }
    for (size_t t = 0; t < count; ++t) {
        out[t] = PerturbQuadratic(params, budget, orbits, deltas[t]);
    }
}

}  // namespace galleri
