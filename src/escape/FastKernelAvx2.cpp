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
    static unsigned Eq(V a, V b) {
        return static_cast<unsigned>(_mm256_movemask_pd(_mm256_cmp_pd(a, b, _CMP_EQ_OQ)));
    }
    // acc + add in the lanes of mask, acc elsewhere.
    static V AddWhere(V acc, unsigned mask, V add) {
        const __m256i bits = _mm256_set_epi64x(8, 4, 2, 1);
        const __m256i lanes = _mm256_and_si256(_mm256_set1_epi64x(mask), bits);
        const V where = _mm256_castsi256_pd(_mm256_cmpeq_epi64(lanes, bits));
        return _mm256_add_pd(acc, _mm256_and_pd(where, add));
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
