#include "deep/ReferenceOrbit.h"

#include <mpfr.h>

#include <algorithm>

namespace galleri {

namespace {

// z and its scratch values at one precision, reused every iteration.
struct Work {
    explicit Work(long bits)
        : zr(bits),
          zi(bits),
          pr(bits),
          pi(bits),
          t1(bits),
          t2(bits),
          t3(bits),
          or_(bits),
          oi(bits) {}
    BigFloat zr, zi, pr, pi, t1, t2, t3, or_, oi;
};

// z <- z^2 + (pr, pi): t1 = zr^2 - zi^2, zi = 2 zr zi + pi.
void Square(Work& w) {
    mpfr_sqr(w.t1.Raw(), w.zr.Raw(), MPFR_RNDN);
    mpfr_sqr(w.t2.Raw(), w.zi.Raw(), MPFR_RNDN);
    mpfr_sub(w.t1.Raw(), w.t1.Raw(), w.t2.Raw(), MPFR_RNDN);
    mpfr_mul(w.t2.Raw(), w.zr.Raw(), w.zi.Raw(), MPFR_RNDN);
    mpfr_mul_2ui(w.t2.Raw(), w.t2.Raw(), 1, MPFR_RNDN);
    mpfr_add(w.zr.Raw(), w.t1.Raw(), w.pr.Raw(), MPFR_RNDN);
    mpfr_add(w.zi.Raw(), w.t2.Raw(), w.pi.Raw(), MPFR_RNDN);
}

// z <- lambda z (1 - z), lambda = (pr, pi): a + ib = z - z^2, then times
// lambda.
void Dragon(Work& w) {
    mpfr_sqr(w.t1.Raw(), w.zr.Raw(), MPFR_RNDN);
    mpfr_sqr(w.t2.Raw(), w.zi.Raw(), MPFR_RNDN);
    mpfr_sub(w.t1.Raw(), w.t1.Raw(), w.t2.Raw(), MPFR_RNDN);  // Re z^2
    mpfr_sub(w.t1.Raw(), w.zr.Raw(), w.t1.Raw(), MPFR_RNDN);  // a = Re(z - z^2)
    mpfr_mul(w.t2.Raw(), w.zr.Raw(), w.zi.Raw(), MPFR_RNDN);
    mpfr_mul_2ui(w.t2.Raw(), w.t2.Raw(), 1, MPFR_RNDN);       // Im z^2
    mpfr_sub(w.t2.Raw(), w.zi.Raw(), w.t2.Raw(), MPFR_RNDN);  // b = Im(z - z^2)
    // (pr + i pi)(a + i b)
    mpfr_mul(w.zr.Raw(), w.pr.Raw(), w.t1.Raw(), MPFR_RNDN);
    mpfr_mul(w.t3.Raw(), w.pi.Raw(), w.t2.Raw(), MPFR_RNDN);
    mpfr_sub(w.zr.Raw(), w.zr.Raw(), w.t3.Raw(), MPFR_RNDN);
    mpfr_mul(w.zi.Raw(), w.pr.Raw(), w.t2.Raw(), MPFR_RNDN);
    mpfr_mul(w.t3.Raw(), w.pi.Raw(), w.t1.Raw(), MPFR_RNDN);
    mpfr_add(w.zi.Raw(), w.zi.Raw(), w.t3.Raw(), MPFR_RNDN);
}

// z <- z^2 + p + q z_-1 with p = pr, q = pi real; (or_, oi) the previous z.
void Phoenix(Work& w) {
    mpfr_sqr(w.t1.Raw(), w.zr.Raw(), MPFR_RNDN);
    mpfr_sqr(w.t2.Raw(), w.zi.Raw(), MPFR_RNDN);
    mpfr_sub(w.t1.Raw(), w.t1.Raw(), w.t2.Raw(), MPFR_RNDN);
    mpfr_add(w.t1.Raw(), w.t1.Raw(), w.pr.Raw(), MPFR_RNDN);
    mpfr_mul(w.t3.Raw(), w.pi.Raw(), w.or_.Raw(), MPFR_RNDN);
    mpfr_add(w.t1.Raw(), w.t1.Raw(), w.t3.Raw(), MPFR_RNDN);  // new re
    mpfr_mul(w.t2.Raw(), w.zr.Raw(), w.zi.Raw(), MPFR_RNDN);
    mpfr_mul_2ui(w.t2.Raw(), w.t2.Raw(), 1, MPFR_RNDN);
    mpfr_mul(w.t3.Raw(), w.pi.Raw(), w.oi.Raw(), MPFR_RNDN);
    mpfr_add(w.t2.Raw(), w.t2.Raw(), w.t3.Raw(), MPFR_RNDN);  // new im
    mpfr_swap(w.or_.Raw(), w.zr.Raw());
    mpfr_swap(w.oi.Raw(), w.zi.Raw());
    mpfr_swap(w.zr.Raw(), w.t1.Raw());
    mpfr_swap(w.zi.Raw(), w.t2.Raw());
}

FloatExp WideOf(const BigFloat& x) {
    long e = 0;
    const double m = x.Mantissa(e);
    return FloatExp::Of(m, e);
}

}  // namespace

ComplexExp ReferenceOrbit::Wide(int64_t m) const {
    const auto at = std::lower_bound(tinyAt.begin(), tinyAt.end(), m);
    if (at != tinyAt.end() && *at == m) {
        return tiny[static_cast<size_t>(at - tinyAt.begin())];
    }
    return ComplexExp::Of(re[static_cast<size_t>(m)], im[static_cast<size_t>(m)]);
}

int64_t ReferenceOrbit::SearchTiny(int64_t m) const {
    const auto at = std::lower_bound(tinyAt.begin(), tinyAt.end(), m);
    return at != tinyAt.end() ? *at : Last() + 1;
}

ReferenceOrbit ComputeReferenceOrbit(const EscapeParams& params, const OrbitStart& start,
                                     int64_t iterations, double bailout,
                                     const std::atomic<bool>* cancel, std::atomic<int64_t>* done) {
    const long bits = std::max(start.re.Precision(), start.im.Precision());
    Work w(bits);
    const IterationKind kind = params.kind;
    const bool dragonMap =
        kind == IterationKind::JuliaDragon || kind == IterationKind::MandelDragon;
    switch (kind) {
        case IterationKind::Mandelbrot:
        case IterationKind::MandelPhoenix:
            mpfr_set(w.pr.Raw(), start.re.Raw(), MPFR_RNDN);
            mpfr_set(w.pi.Raw(), start.im.Raw(), MPFR_RNDN);
            break;  // z from 0
        case IterationKind::MandelDragon:
            mpfr_set(w.pr.Raw(), start.re.Raw(), MPFR_RNDN);
            mpfr_set(w.pi.Raw(), start.im.Raw(), MPFR_RNDN);
            mpfr_set_d(w.zr.Raw(), 0.5, MPFR_RNDN);
            break;
        case IterationKind::Julia:
        case IterationKind::BinaryDecomposition:
        case IterationKind::JuliaDragon:
            mpfr_set_d(w.pr.Raw(), params.cx, MPFR_RNDN);
            mpfr_set_d(w.pi.Raw(), params.cy, MPFR_RNDN);
            if (start.critical) {
                mpfr_set_d(w.zr.Raw(), dragonMap ? 0.5 : 0.0, MPFR_RNDN);
            } else {
                mpfr_set(w.zr.Raw(), start.re.Raw(), MPFR_RNDN);
                mpfr_set(w.zi.Raw(), start.im.Raw(), MPFR_RNDN);
            }
            break;
    }
    ReferenceOrbit orbit;
    const size_t reserve = static_cast<size_t>(std::min<int64_t>(iterations + 1, 1 << 20));
    orbit.re.reserve(reserve);
    orbit.im.reserve(reserve);
    for (int64_t n = 0;; ++n) {
        const double zr = w.zr.ToDouble();
        const double zi = w.zi.ToDouble();
        orbit.re.push_back(zr);
        orbit.im.push_back(zi);
        if (orbit.IsTiny(n)) {
            orbit.tinyAt.push_back(n);
            orbit.tiny.push_back(ComplexExp::Of(WideOf(w.zr), WideOf(w.zi)));
        }
        if (n == iterations || zr * zr + zi * zi >= bailout) {
            break;
        }
        if ((n & 1023) == 1023) {
            if (done != nullptr) {
                done->store(n, std::memory_order_relaxed);
            }
            if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
                break;
            }
        }
        if (dragonMap) {
            Dragon(w);
        } else if (kind == IterationKind::MandelPhoenix) {
            Phoenix(w);
        } else {
            Square(w);
        }
    }
    if (done != nullptr) {
        done->store(orbit.Last(), std::memory_order_relaxed);
    }
    return orbit;
}

}  // namespace galleri
