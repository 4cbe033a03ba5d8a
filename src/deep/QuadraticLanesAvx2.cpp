// The plain iterations of eight pixels side by side in AVX2 lanes. Compiled
// with -mavx2 and no -mfma: each lane makes the scalar loop's operations in
// its order, so a pixel comes out the same bit for bit whichever way it ran.

#include "deep/QuadraticLanes.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <array>
#include <optional>

#include "deep/QuadraticWalk.h"

namespace galleri {

namespace {

constexpr int kLanes = 8;
// Plain iterations in a row that take a pixel into the lanes.
constexpr int64_t kWarm = 16;

// The lanes' state between runs: a pixel's plain-iteration state as the
// walk's Pace holds it, one array entry a lane.
struct Lanes {
    alignas(32) std::array<double, kLanes> wr{}, wi{}, scale{}, ur{}, ui{}, x2{}, y2{};
    alignas(32) std::array<int64_t, kLanes> scaled{};  // all ones where s != 0
    std::array<const LaneRecord*, kLanes> records{};
    std::array<int64_t, kLanes> m{}, n{}, stop{};

    void Load(int lane, const Walk::Pace& pace, bool isScaled) {
        wr[lane] = pace.wr;
        wi[lane] = pace.wi;
        scale[lane] = pace.scale;
        ur[lane] = pace.ur;
        ui[lane] = pace.ui;
        x2[lane] = pace.x2;
        y2[lane] = pace.y2;
        scaled[lane] = isScaled ? -1 : 0;
        records[lane] = pace.records;
        m[lane] = pace.m;
        n[lane] = pace.n;
        stop[lane] = pace.stop;
    }
    void Store(int lane, Walk::Pace& pace, bool drifted) const {
        pace.wr = wr[lane];
        pace.wi = wi[lane];
        pace.x2 = x2[lane];
        pace.y2 = y2[lane];
        pace.m = m[lane];
        pace.n = n[lane];
        pace.drifted = drifted;
    }
};

// Why the lanes stopped: per lane, whether its next iteration needs more
// than a plain one, and whether its w left its range in the last one.
struct Stops {
    int needs = 0, drifted = 0;
};

// Four lanes in the registers of one AVX2 vector each: their plain
// iteration, in two halves so that the lanes' tests come before any lane
// changes. kScaled: some lane has s != 0 (else d is w itself).
template <bool kScaled>
struct Quad {
    const LaneRecord* r[4];
    __m256d wr, wi, x2, y2, scale, ur, ui, scaled;
    // What the test read, for the iteration that follows it.
    __m256d Zr, Zi, dr, di, zr2, zi2;

    Quad(const Lanes& lanes, int first) {
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
    }
    void Store(Lanes& lanes, int first) const {
        _mm256_store_pd(&lanes.wr[first], wr);
        _mm256_store_pd(&lanes.wi[first], wi);
        _mm256_store_pd(&lanes.x2[first], x2);
        _mm256_store_pd(&lanes.y2[first], y2);
    }
    // The lanes whose iteration k needs more than a plain one: nearer 0
    // than to the reference, escaped by the lagging test, or a step holds.
    int Needs(int64_t k) {
        // Z and the shortest step's radius of each lane's index, transposed.
        const __m256d a = _mm256_load_pd(&r[0][k].re), b = _mm256_load_pd(&r[1][k].re);
        const __m256d c = _mm256_load_pd(&r[2][k].re), d = _mm256_load_pd(&r[3][k].re);
        const __m256d ab0 = _mm256_unpacklo_pd(a, b), ab1 = _mm256_unpackhi_pd(a, b);
        const __m256d cd0 = _mm256_unpacklo_pd(c, d), cd1 = _mm256_unpackhi_pd(c, d);
        Zr = _mm256_permute2f128_pd(ab0, cd0, 0x20);
        Zi = _mm256_permute2f128_pd(ab1, cd1, 0x20);
        const __m256d radius2 = _mm256_permute2f128_pd(ab0, cd0, 0x31);
        dr = kScaled ? _mm256_mul_pd(scale, wr) : wr;
        di = kScaled ? _mm256_mul_pd(scale, wi) : wi;
        const __m256d zr = _mm256_add_pd(Zr, dr), zi = _mm256_add_pd(Zi, di);
        zr2 = _mm256_mul_pd(zr, zr);
        zi2 = _mm256_mul_pd(zi, zi);
        const __m256d dd = _mm256_add_pd(_mm256_mul_pd(dr, dr), _mm256_mul_pd(di, di));
        const __m256d needs =
            _mm256_or_pd(_mm256_or_pd(_mm256_cmp_pd(_mm256_add_pd(zr2, zi2), dd, _CMP_LT_OQ),
                                      _mm256_cmp_pd(_mm256_add_pd(x2, y2), four(), _CMP_NLT_UQ)),
                         _mm256_cmp_pd(dd, radius2, _CMP_LT_OQ));
        return _mm256_movemask_pd(needs);
    }
    // The iteration Needs tested: d' = (2Z + d) d + dc on d's scale. The
    // lanes whose w left its range.
    int Iterate() {
        x2 = zr2;
        y2 = zi2;
        const __m256d tr = _mm256_add_pd(_mm256_add_pd(Zr, Zr), dr);
        const __m256d ti = _mm256_add_pd(_mm256_add_pd(Zi, Zi), di);
        const __m256d nr =
            _mm256_add_pd(_mm256_sub_pd(_mm256_mul_pd(tr, wr), _mm256_mul_pd(ti, wi)), ur);
        const __m256d ni =
            _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(tr, wi), _mm256_mul_pd(ti, wr)), ui);
        wr = nr;
        wi = ni;
        const __m256d w2 = _mm256_add_pd(_mm256_mul_pd(nr, nr), _mm256_mul_pd(ni, ni));
        __m256d drifted =
            _mm256_andnot_pd(scaled, _mm256_cmp_pd(w2, _mm256_set1_pd(0x1p-1000), _CMP_LT_OQ));
        if (kScaled) {
            const __m256d inside =
                _mm256_and_pd(_mm256_cmp_pd(w2, _mm256_set1_pd(0x1p-128), _CMP_GT_OQ),
                              _mm256_cmp_pd(w2, _mm256_set1_pd(0x1p128), _CMP_LT_OQ));
            drifted = _mm256_or_pd(drifted, _mm256_andnot_pd(inside, scaled));
        }
        return _mm256_movemask_pd(drifted);
    }
    static __m256d four() { return _mm256_set1_pd(4.0); }
};

// Plain iterations in every lane together until one lane's next needs more
// or its w drifted. Two vectors of four, so that the chain of one
// iteration's dependent operations runs beside the other's.
template <bool kScaled>
Stops RunLanes(Lanes& lanes) {
    int64_t limit = lanes.stop[0] - lanes.m[0];
    for (int l = 1; l < kLanes; ++l) {
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
        stops.drifted = low.Iterate() | (high.Iterate() << 4);
        if (stops.drifted != 0) {
            ++k;
            break;
        }
    }
    low.Store(lanes, 0);
    high.Store(lanes, 4);
    for (int l = 0; l < kLanes; ++l) {
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
    std::array<std::optional<Walk>, kLanes> walks;
    std::array<size_t, kLanes> pixel{};
    Lanes lanes;
    size_t next = 0;
    // Brings a lane's pixel to where its next iteration is a plain one (the
    // lanes' entry), taking pixels until one gets there; false when there
    // are none left, or a pixel has no records to run in lanes from.
    auto enter = [&](int lane) {
        for (;;) {
            if (!walks[lane]) {
                if (next == count) {
                    return false;
                }
                pixel[lane] = next;
                walks[lane].emplace(params, budget, orbits, deltas[next]);
                ++next;
            }
            Walk& walk = *walks[lane];
            if (walk.Stepped()) {
                // Among the bilinear steps: on to the next at once.
                if (!walk.Advance()) {
                    out[pixel[lane]] = walk.Result();
                    walks[lane].reset();
                }
                continue;
            }
            Walk::Pace pace = walk.PaceOf();
            if (pace.records == nullptr) {
                return false;
            }
            // A few plain iterations here first: a pixel among bilinear
            // steps (most of its iterations skipped, a plain one now and
            // then) stays out of the lanes, whose runs it would cut short.
            const int64_t stop = pace.stop;
            pace.stop = std::min(stop, pace.m + kWarm);
            const bool drifted = walk.IsScaled() ? pace.Run<true>() : pace.Run<false>();
            const bool warm = !drifted && pace.m == pace.stop && pace.m < stop;
            walk.Keep(pace);
            if (warm) {
                lanes.Load(lane, walk.PaceOf(), walk.IsScaled());
                return true;
            }
            if (!drifted && !warm && !walk.Advance()) {
                out[pixel[lane]] = walk.Result();
                walks[lane].reset();
            }
        }
    };
    bool full = true;
    for (int l = 0; l < kLanes && full; ++l) {
        full = enter(l);
    }
    while (full) {
        bool anyScaled = false;
        for (int l = 0; l < kLanes; ++l) {
            anyScaled = anyScaled || lanes.scaled[l] != 0;
        }
        const Stops stops = anyScaled ? RunLanes<true>(lanes) : RunLanes<false>(lanes);
        for (int l = 0; l < kLanes && full; ++l) {
            const bool drifted = (stops.drifted >> l) & 1;
            if (drifted || ((stops.needs >> l) & 1)) {
                Walk& walk = *walks[l];
                Walk::Pace pace = walk.PaceOf();
                lanes.Store(l, pace, drifted);
                walk.Keep(pace);
                full = enter(l);
            }
        }
    }
    // Fewer pixels left than lanes: the rest one at a time.
    for (int l = 0; l < kLanes; ++l) {
        if (walks[l]) {
            Walk::Pace pace = walks[l]->PaceOf();
            if (pace.records != nullptr) {
                // A lane still holding its pixel's state hands it back first.
                lanes.Store(l, pace, false);
            }
            walks[l]->Keep(pace);
            out[pixel[l]] = Finish(*walks[l]);
        }
    }
    while (next < count) {
        Walk walk(params, budget, orbits, deltas[next]);
        out[next] = Finish(walk);
        ++next;
    }
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
