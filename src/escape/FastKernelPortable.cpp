// The kernel on the compiler's generic 2-lane vectors (SSE2 on x86-64): runs
// on any CPU the program is built for.
#include "escape/FastKernel.h"

namespace galleri {
namespace {

struct Ops {
    typedef double V __attribute__((vector_size(16)));
    static constexpr int W = 2;
    static V Set1(double x) { return V{x, x}; }
    static V Load(const double* p) {
        V v;
        __builtin_memcpy(&v, p, sizeof v);
        return v;
    }
    static void Store(double* p, V v) { __builtin_memcpy(p, &v, sizeof v); }
    static V Add(V a, V b) { return a + b; }
    static V Sub(V a, V b) { return a - b; }
    static V Mul(V a, V b) { return a * b; }
    static unsigned Lt(V a, V b) {
        unsigned bits = 0;
        for (int l = 0; l < W; ++l) {
            bits |= (a[l] < b[l] ? 1u : 0u) << l;
        }
        return bits;
    }
    static unsigned Eq(V a, V b) {
        unsigned bits = 0;
        for (int l = 0; l < W; ++l) {
            bits |= (a[l] == b[l] ? 1u : 0u) << l;
        }
        return bits;
    }
    // acc + add in the lanes of mask, acc elsewhere.
    static V AddWhere(V acc, unsigned mask, V add) {
        for (int l = 0; l < W; ++l) {
            if ((mask >> l & 1u) != 0) {
                acc[l] += add[l];
            }
        }
        return acc;
    }
};

}  // namespace

void RunKernelPortable(const KernelJob& job) {
    RunKernelWith<Ops, 4, 4, 3>(job);
}

}  // namespace galleri
