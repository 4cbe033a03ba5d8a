#pragma once

// The plain iterations of eight pixels side by side in 256-bit lanes: the
// run the driver calls, compiled once for AVX2 and once more with AVX-512's
// registers at hand (QuadraticLanesAvx2.cpp, QuadraticLanesAvx512.cpp).
// Either way each lane makes the scalar loop's operations in its order,
// with no fused multiply-add, so a pixel comes out the same bit for bit
// whichever way it ran. Internal to those files (an unnamed namespace).

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cstdint>

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
    // Of the lanes that need more at the iteration Needs tested, those
    // that need only to start again from the critical point and can here:
    // nearer 0 than to the reference, the lagging test passed, and z
    // within d's plain range.
    int Restartable() const {
        const __m256d dd = _mm256_add_pd(_mm256_mul_pd(dr, dr), _mm256_mul_pd(di, di));
        const __m256d nearer = _mm256_cmp_pd(_mm256_add_pd(zr2, zi2), dd, _CMP_LT_OQ);
        const __m256d inside =
            _mm256_cmp_pd(_mm256_add_pd(x2, y2), _mm256_set1_pd(4.0), _CMP_LT_OQ);
        const __m256d sign = _mm256_set1_pd(-0.0);
        const __m256d big = _mm256_max_pd(_mm256_andnot_pd(sign, zr), _mm256_andnot_pd(sign, zi));
        const __m256d plain = _mm256_cmp_pd(big, _mm256_set1_pd(0x1p-400), _CMP_GE_OQ);
        return _mm256_movemask_pd(_mm256_and_pd(_mm256_and_pd(nearer, inside), plain));
    }
    // Those lanes (bits of `lanes`) start again: d = z, and the iteration
    // is made from Z_0 = 0, as the walk makes it.
    void Restart(int lanes) {
        const __m256i bits = _mm256_set_epi64x(lanes & 8, lanes & 4, lanes & 2, lanes & 1);
        const __m256d mask = _mm256_castsi256_pd(_mm256_cmpgt_epi64(bits, _mm256_setzero_si256()));
        const __m256d zero = _mm256_setzero_pd();
        Zr = _mm256_blendv_pd(Zr, zero, mask);
        Zi = _mm256_blendv_pd(Zi, zero, mask);
        dr = _mm256_blendv_pd(dr, zr, mask);
        di = _mm256_blendv_pd(di, zi, mask);
        wr = _mm256_blendv_pd(wr, zr, mask);
        wi = _mm256_blendv_pd(wi, zi, mask);
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
// The records of index i for lane base b at iteration k read as
// records[b + k]: b may be negative once a lane started again.
const LaneRecord* Shifted(const LaneRecord* records, int64_t by) {
    return reinterpret_cast<const LaneRecord*>(reinterpret_cast<uintptr_t>(records) +
                                               static_cast<uintptr_t>(by) * sizeof(LaneRecord));
}

template <bool kScaled>
Stops RunLanes(Lanes<8>& lanes) {
    // Lane l is at index base[l] + k in iteration k, and runs while k <
    // until[l].
    std::array<int64_t, 8> base = lanes.m, until{};
    int allowed = 0;
    int64_t limit = INT64_MAX;
    for (int l = 0; l < 8; ++l) {
        until[l] = lanes.stop[l] - lanes.m[l];
        limit = std::min(limit, until[l]);
        allowed |= (!kScaled && lanes.restart[l] > 0 ? 1 : 0) << l;
    }
    Quad<kScaled> low(lanes, 0), high(lanes, 4);
    Stops stops;
    int64_t k = 0;
    for (; k < limit; ++k) {
        stops.needs = low.Needs(k) | (high.Needs(k) << 4);
        if (stops.needs != 0) {
            // Lanes that only start again from the critical point do it
            // here, on the same orbit: d = z, index 0, then on from 1.
            const int restart = (low.Restartable() | (high.Restartable() << 4)) & allowed;
            if ((stops.needs & ~restart) != 0) {
                break;
            }
            low.Restart(stops.needs & 15);
            high.Restart(stops.needs >> 4);
            for (int l = 0; l < 8; ++l) {
                if ((stops.needs >> l) & 1) {
                    Quad<kScaled>& q = l < 4 ? low : high;
                    q.r[l & 3] = Shifted(lanes.records[l], -k);
                    base[l] = -k;
                    lanes.stop[l] = std::min(lanes.restart[l], lanes.budget - (lanes.n[l] + k));
                    until[l] = k + lanes.stop[l];
                }
            }
            limit = *std::min_element(until.begin(), until.end());
            stops.needs = 0;
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
        lanes.m[l] = base[l] + k;
        lanes.n[l] += k;
        if (lanes.m[l] >= lanes.stop[l]) {
            stops.needs |= 1 << l;
        }
    }
    return stops;
}

// The pixels deltas[0 .. count) into out[], eight at a time in lanes.
inline void RunQuadraticLanes(const EscapeParams& params, int64_t budget, const DeepOrbits& orbits,
                              const ComplexExp* deltas, size_t count, DeepPixel* out) {
    DriveLanes<8>(params, budget, orbits, deltas, count, out, [](Lanes<8>& lanes, bool scaled) {
        return scaled ? RunLanes<true>(lanes) : RunLanes<false>(lanes);
    });
}

}  // namespace

}  // namespace galleri
