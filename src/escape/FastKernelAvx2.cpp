// The kernel on 4-lane AVX2 vectors. Built with AVX2 (and no FMA) enabled for
// this file only; called only on CPUs that have it.
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include "escape/FastKernel.h"

namespace galleri {
namespace {

struct Ops {
    using V = __m256d;
    static constexpr int W = 4;
    static V Set1(double x) { return _mm256_set1_pd(x); }
    static V Load(const double* p) { return _mm256_load_pd(p); }
    static void Store(double* p, V v) { _mm256_store_pd(p, v); }
    static V Add(V a, V b) { return _mm256_add_pd(a, b); }
    static V Sub(V a, V b) { return _mm256_sub_pd(a, b); }
    static V Mul(V a, V b) { return _mm256_mul_pd(a, b); }
    static unsigned Lt(V a, V b) {
        return static_cast<unsigned>(_mm256_movemask_pd(_mm256_cmp_pd(a, b, _CMP_LT_OQ)));
    }
};

}  // namespace

void RunKernelAvx2(const KernelJob& job) {
    RunKernelWith<Ops, 6, 6, 4>(job);
}

}  // namespace galleri

#else

#include "escape/FastKernels.h"

namespace galleri {

// Never chosen on other processors (SimdPathSupported says no).
void RunKernelAvx2(const KernelJob& job) {
    RunKernelPortable(job);
}

}  // namespace galleri

#endif
