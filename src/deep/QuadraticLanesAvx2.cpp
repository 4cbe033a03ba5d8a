// The plain iterations of eight pixels side by side in AVX2 lanes. Compiled
// with -mavx2 and no -mfma: each lane makes the scalar loop's operations in
// its order, so a pixel comes out the same bit for bit whichever way it ran.

#include "deep/QuadraticLanes.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include "deep/QuadraticLaneDriver.h"

namespace galleri {

namespace {

// Four lanes in the registers of one AVX2 vector each: their plain
// iteration, in two halves so that the lanes' tests come before any lane
// changes. kScaled: some lane has s != 0 (else d is w itself).
template <bool kScaled>
struct Quad {
    const LaneRecord* r[4];
    __m256d wr, wi, x2, y2, scale, ur, ui, scaled;
    // Lanes whose last iterate is outside |z| < 2: the lagging test stops
    // them before their next iteration.
    __m256d escaped;
    // What the test read, for the iteration that follows it.
    __m256d Zr, Zi, zr, zi, dr, di, zr2, zi2;

    Quad(const Lanes<8>& lanes, int first) {
        for (int l = 0; l < 4; ++l) {
            r[l] = lanes.records[first + l] + lanes.m[first + l];
        }
        wr = _mm256_load_pd(&lanes.wr[first]);
        wi = _mm256_load_pd(&lanes.wi[first]);
        x2 = _mm256_load_pd(&lanes.x2[first]);
        y2 = _mm256_load_pd(&lanes.y2[first]);
        scale = _mm256_load_pd(&lanes.scale[first]);
        ur = _mm256_load_pd(&lanes.ur[first]);
        ui = _mm256_load_pd(&lanes.ui[first]);
        scaled = _mm256_castsi256_pd(
            _mm256_load_si256(reinterpret_cast<const __m256i*>(&lanes.scaled[first])));
        escaped = _mm256_cmp_pd(_mm256_add_pd(x2, y2), _mm256_set1_pd(4.0), _CMP_NLT_UQ);
    }
    void Store(Lanes<8>& lanes, int first) const {
        _mm256_store_pd(&lanes.wr[first], wr);
        _mm256_store_pd(&lanes.wi[first], wi);
        _mm256_store_pd(&lanes.x2[first], x2);
        _mm256_store_pd(&lanes.y2[first], y2);
    }
    // The lanes whose iteration k needs more than a plain one: nearer 0
    // than to the reference, escaped by the lagging test, or a step holds.
    // Unscaled, also those whose d fell below 2^-500 in the last iteration
    // (|d|^2 is then |w|^2, the drift test, which the driver tells apart).
    int Needs(int64_t k) {
        // Z and the shortest step's radius of each lane's index, transposed.
        const __m256d a = _mm256_load_pd(&r[0][k].re), b = _mm256_load_pd(&r[1][k].re);
        const __m256d c = _mm256_load_pd(&r[2][k].re), d = _mm256_load_pd(&r[3][k].re);
        const __m256d ab0 = _mm256_unpacklo_pd(a, b), ab1 = _mm256_unpackhi_pd(a, b);
        const __m256d cd0 = _mm256_unpacklo_pd(c, d), cd1 = _mm256_unpackhi_pd(c, d);
        Zr = _mm256_permute2f128_pd(ab0, cd0, 0x20);
        Zi = _mm256_permute2f128_pd(ab1, cd1, 0x20);
        __m256d radius2 = _mm256_permute2f128_pd(ab0, cd0, 0x31);
        if (!kScaled) {
            radius2 = _mm256_max_pd(radius2, _mm256_set1_pd(0x1p-1000));
        }
        dr = kScaled ? _mm256_mul_pd(scale, wr) : wr;
        di = kScaled ? _mm256_mul_pd(scale, wi) : wi;
        zr = _mm256_add_pd(Zr, dr);
        zi = _mm256_add_pd(Zi, di);
        zr2 = _mm256_mul_pd(zr, zr);
        zi2 = _mm256_mul_pd(zi, zi);
        const __m256d z2 = _mm256_add_pd(zr2, zi2);
        const __m256d dd = _mm256_add_pd(_mm256_mul_pd(dr, dr), _mm256_mul_pd(di, di));
        const __m256d needs = _mm256_or_pd(_mm256_or_pd(_mm256_cmp_pd(z2, dd, _CMP_LT_OQ), escaped),
                                           _mm256_cmp_pd(dd, radius2, _CMP_LT_OQ));
        escaped = _mm256_cmp_pd(z2, _mm256_set1_pd(4.0), _CMP_NLT_UQ);
        return _mm256_movemask_pd(needs);
    }
    // The iteration Needs tested: d' = (2Z + d) d + dc on d's scale, 2Z + d
    // as Z + z. Scaled, the lanes whose w left its range.
    int Iterate() {
        x2 = zr2;
        y2 = zi2;
        const __m256d tr = _mm256_add_pd(Zr, zr), ti = _mm256_add_pd(Zi, zi);
        const __m256d nr =
            _mm256_add_pd(_mm256_sub_pd(_mm256_mul_pd(tr, wr), _mm256_mul_pd(ti, wi)), ur);
        const __m256d ni =
            _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(tr, wi), _mm256_mul_pd(ti, wr)), ui);
        wr = nr;
        wi = ni;
        if (!kScaled) {
            return 0;
        }
        const __m256d w2 = _mm256_add_pd(_mm256_mul_pd(nr, nr), _mm256_mul_pd(ni, ni));
        const __m256d inside =
            _mm256_and_pd(_mm256_cmp_pd(w2, _mm256_set1_pd(0x1p-128), _CMP_GT_OQ),
                          _mm256_cmp_pd(w2, _mm256_set1_pd(0x1p128), _CMP_LT_OQ));
        const __m256d drifted = _mm256_or_pd(
            _mm256_andnot_pd(scaled, _mm256_cmp_pd(w2, _mm256_set1_pd(0x1p-1000), _CMP_LT_OQ)),
            _mm256_andnot_pd(inside, scaled));
        return _mm256_movemask_pd(drifted);
    }
};

// Plain iterations in every lane together until one lane's next needs more
// or its w drifted. Two vectors of four, so that the chain of one
// iteration's dependent operations runs beside the other's.
template <bool kScaled>
Stops RunLanes(Lanes<8>& lanes) {
    int64_t limit = lanes.stop[0] - lanes.m[0];
    for (int l = 1; l < 8; ++l) {
        limit = std::min(limit, lanes.stop[l] - lanes.m[l]);
    }
    Quad<kScaled> low(lanes, 0), high(lanes, 4);
    Stops stops;
    int64_t k = 0;
    for (; k < limit; ++k) {
        stops.needs = low.Needs(k) | (high.Needs(k) << 4);
        if (stops.needs != 0) {
            break;
        }
        if (kScaled) {
            stops.drifted = low.Iterate() | (high.Iterate() << 4);
            if (stops.drifted != 0) {
                ++k;
                break;
            }
        } else {
            low.Iterate();
            high.Iterate();
        }
    }
    low.Store(lanes, 0);
    high.Store(lanes, 4);
    for (int l = 0; l < 8; ++l) {
        lanes.m[l] += k;
        lanes.n[l] += k;
        if (lanes.m[l] >= lanes.stop[l]) {
            stops.needs |= 1 << l;
        }
    }
    return stops;
}

}  // namespace

void PerturbQuadraticLanesAvx2(const EscapeParams& params, int64_t budget, const DeepOrbits& orbits,
                               const ComplexExp* deltas, size_t count, DeepPixel* out) {
    DriveLanes<8>(params, budget, orbits, deltas, count, out, [](Lanes<8>& lanes, bool scaled) {
        return scaled ? RunLanes<true>(lanes) : RunLanes<false>(lanes);
    });
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
