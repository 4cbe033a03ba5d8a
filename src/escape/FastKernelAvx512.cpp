// The kernel on 8-lane AVX-512 vectors. Built with AVX-512 enabled for this
// file only; called only on CPUs that have it.
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include "escape/FastKernel.h"

namespace galleri {
namespace {

struct Ops {
    using V = __m512d;
    static constexpr int W = 8;
    static V Set1(double x) { return _mm512_set1_pd(x); }
    static V Load(const double* p) { return _mm512_load_pd(p); }
    static void Store(double* p, V v) { _mm512_store_pd(p, v); }
    static V Add(V a, V b) { return _mm512_add_pd(a, b); }
    static V Sub(V a, V b) { return _mm512_sub_pd(a, b); }
    static V Mul(V a, V b) { return _mm512_mul_pd(a, b); }
    // Lanes where a < b (ordered: NaN is false, as in scalar code).
    static unsigned Lt(V a, V b) { return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ); }
    // Lanes where a == b (ordered: NaN equals nothing).
    static unsigned Eq(V a, V b) { return _mm512_cmp_pd_mask(a, b, _CMP_EQ_OQ); }
    // acc + add in the lanes of mask, acc elsewhere.
    static V AddWhere(V acc, unsigned mask, V add) {
        return _mm512_mask_add_pd(acc, static_cast<__mmask8>(mask), acc, add);
    }
};

}  // namespace

void RunKernelAvx512(const KernelJob& job) {
    RunKernelWith<Ops, 6, 8, 3>(job);
}

}  // namespace galleri

#else

#include "escape/FastKernels.h"

namespace galleri {

// Never chosen on other processors (SimdPathSupported says no).
void RunKernelAvx512(const KernelJob& job) {
    RunKernelPortable(job);
}

}  // namespace galleri

#endif
