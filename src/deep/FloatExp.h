#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace galleri {

// 2^k as a double for k in a double's normal range, by its bits: no call,
// exact. Outside that range it is clamped there, which the callers use as
// "negligible" (below) or "dominant" (above).
inline double Pow2(int64_t k) {
    k = std::clamp<int64_t>(k, -1022, 1023);
    return std::bit_cast<double>(static_cast<uint64_t>(k + 1023) << 52);
}

// A real number m 2^e with a double's mantissa and an exponent of its own,
// for the magnitudes of deep pictures (pixels 1e-1000 apart, steps that
// multiply by 1e1000), beyond a double's range. Normalised: 0.5 <= |m| < 1,
// or m = 0 and e = 0.
struct FloatExp {
    double m = 0;
    int64_t e = 0;

    static FloatExp Of(double x, int64_t e = 0) {
        int k = 0;
        const double m = std::frexp(x, &k);
        return m == 0 ? FloatExp{} : FloatExp{m, e + k};
    }
    // The double nearest the value: 0 below a double's range, infinite above.
    double ToDouble() const {
        return m == 0 ? 0.0 : std::ldexp(m, static_cast<int>(std::clamp<int64_t>(e, -1100, 1100)));
    }
    bool IsZero() const { return m == 0; }

    friend FloatExp operator*(FloatExp a, FloatExp b) { return Of(a.m * b.m, a.e + b.e); }
    friend FloatExp operator/(FloatExp a, FloatExp b) { return Of(a.m / b.m, a.e - b.e); }
    friend FloatExp operator+(FloatExp a, FloatExp b) {
        if (a.m == 0) {
            return b;
        }
        if (b.m == 0) {
            return a;
        }
        const int64_t e = std::max(a.e, b.e);
        return Of(a.m * Pow2(a.e - e) + b.m * Pow2(b.e - e), e);
    }
    friend FloatExp operator-(FloatExp a, FloatExp b) { return a + FloatExp{-b.m, b.e}; }
    friend bool operator<(FloatExp a, FloatExp b) { return (a - b).m < 0; }
};

inline FloatExp Max(FloatExp a, FloatExp b) {
    return a < b ? b : a;
}
inline FloatExp Min(FloatExp a, FloatExp b) {
    return a < b ? a : b;
}

// A complex number (re + i im) 2^e with one exponent for both parts.
// Normalised: the larger part's magnitude in [0.5, 1), or both 0 and e = 0.
struct ComplexExp {
    double re = 0, im = 0;
    int64_t e = 0;

    static ComplexExp Of(double re, double im, int64_t e = 0) {
        int k = 0;
        std::frexp(std::max(std::fabs(re), std::fabs(im)), &k);
        if (re == 0 && im == 0) {
            return {};
        }
        return {std::ldexp(re, -k), std::ldexp(im, -k), e + k};
    }
    // Two reals with exponents of their own, the smaller part rounded to the
    // larger's exponent.
    static ComplexExp Of(FloatExp re, FloatExp im) {
        const int64_t e = std::max(re.m == 0 ? im.e : re.e, im.m == 0 ? re.e : im.e);
        return Of(re.m * Pow2(re.e - e), im.m * Pow2(im.e - e), e);
    }
    bool IsZero() const { return re == 0 && im == 0; }
    FloatExp Abs() const { return FloatExp::Of(std::hypot(re, im), e); }
    FloatExp Re() const { return FloatExp::Of(re, e); }
    FloatExp Im() const { return FloatExp::Of(im, e); }

    friend ComplexExp operator*(ComplexExp a, ComplexExp b) {
        return Of(a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re, a.e + b.e);
    }
    // Always inlined: the vector lanes' files, compiled for their own
    // instruction sets, must not leave an out-of-line copy that could stand
    // in for everyone's.
    [[gnu::always_inline]] friend ComplexExp operator+(ComplexExp a, ComplexExp b) {
        if (a.IsZero()) {
            return b;
        }
        if (b.IsZero()) {
            return a;
        }
        const int64_t e = std::max(a.e, b.e);
        const double fa = Pow2(a.e - e), fb = Pow2(b.e - e);
        return Of(a.re * fa + b.re * fb, a.im * fa + b.im * fb, e);
    }
};

}  // namespace galleri
