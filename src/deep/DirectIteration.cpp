#include "deep/DirectIteration.h"

#include <mpfr.h>

#include <algorithm>

namespace galleri {

DeepPixel IterateDirect(const EscapeParams& params, int64_t budget, const BigFloat& re,
                        const BigFloat& im) {
    const long bits = std::max(re.Precision(), im.Precision());
    const IterationKind kind = params.kind;
    BigFloat zr(bits), zi(bits), cr(bits), ci(bits), x2(bits), y2(bits), t(bits), u(bits),
        orr(bits), oi(bits), s(bits);
    switch (kind) {
        case IterationKind::Mandelbrot:
        case IterationKind::MandelPhoenix:
            cr = re;
            ci = im;
            break;
        case IterationKind::MandelDragon:
            cr = re;
            ci = im;
            mpfr_set_d(zr.Raw(), 0.5, MPFR_RNDN);
            break;
        case IterationKind::Julia:
        case IterationKind::BinaryDecomposition:
        case IterationKind::JuliaDragon:
            zr = re;
            zi = im;
            mpfr_set_d(cr.Raw(), params.cx, MPFR_RNDN);
            mpfr_set_d(ci.Raw(), params.cy, MPFR_RNDN);
            break;
    }
    const auto lessThan4 = [&](const BigFloat& a, const BigFloat& b) {
        mpfr_add(s.Raw(), a.Raw(), b.Raw(), MPFR_RNDN);
        return mpfr_cmp_ui(s.Raw(), 4) < 0;
    };
    int64_t n = 0;
    while (n < budget) {
        if (kind == IterationKind::MandelDragon) {
            mpfr_sqr(x2.Raw(), zr.Raw(), MPFR_RNDN);
            mpfr_sqr(y2.Raw(), zi.Raw(), MPFR_RNDN);
            if (!lessThan4(x2, y2)) {
                break;
            }
        } else if (!lessThan4(x2, y2)) {
            break;
        }
        switch (kind) {
            case IterationKind::Mandelbrot:
            case IterationKind::Julia:
            case IterationKind::BinaryDecomposition:
                mpfr_sqr(x2.Raw(), zr.Raw(), MPFR_RNDN);
                mpfr_sqr(y2.Raw(), zi.Raw(), MPFR_RNDN);
                mpfr_mul(t.Raw(), zr.Raw(), zi.Raw(), MPFR_RNDN);
                mpfr_mul_2ui(t.Raw(), t.Raw(), 1, MPFR_RNDN);
                mpfr_add(zi.Raw(), t.Raw(), ci.Raw(), MPFR_RNDN);
                mpfr_sub(zr.Raw(), x2.Raw(), y2.Raw(), MPFR_RNDN);
                mpfr_add(zr.Raw(), zr.Raw(), cr.Raw(), MPFR_RNDN);
                break;
            case IterationKind::MandelPhoenix:
                mpfr_sqr(x2.Raw(), zr.Raw(), MPFR_RNDN);
                mpfr_sqr(y2.Raw(), zi.Raw(), MPFR_RNDN);
                // new re = x2 - y2 + p + q ore; new im = 2 zr zi + q oim
                mpfr_sub(t.Raw(), x2.Raw(), y2.Raw(), MPFR_RNDN);
                mpfr_add(t.Raw(), t.Raw(), cr.Raw(), MPFR_RNDN);
                mpfr_mul(u.Raw(), ci.Raw(), orr.Raw(), MPFR_RNDN);
                mpfr_add(t.Raw(), t.Raw(), u.Raw(), MPFR_RNDN);
                mpfr_mul(u.Raw(), zr.Raw(), zi.Raw(), MPFR_RNDN);
                mpfr_mul_2ui(u.Raw(), u.Raw(), 1, MPFR_RNDN);
                mpfr_mul(s.Raw(), ci.Raw(), oi.Raw(), MPFR_RNDN);
                mpfr_add(u.Raw(), u.Raw(), s.Raw(), MPFR_RNDN);
                orr = zr;
                oi = zi;
                zr = t;
                zi = u;
                break;
            case IterationKind::JuliaDragon:
            case IterationKind::MandelDragon: {
                if (kind == IterationKind::JuliaDragon) {
                    mpfr_sqr(x2.Raw(), zr.Raw(), MPFR_RNDN);
                    mpfr_sqr(y2.Raw(), zi.Raw(), MPFR_RNDN);
                }
                // a + ib = z - z^2; z = lambda (a + ib)
                BigFloat a(bits), b(bits);
                mpfr_sub(a.Raw(), x2.Raw(), y2.Raw(), MPFR_RNDN);
                mpfr_sub(a.Raw(), zr.Raw(), a.Raw(), MPFR_RNDN);
                mpfr_mul(b.Raw(), zr.Raw(), zi.Raw(), MPFR_RNDN);
                mpfr_mul_2ui(b.Raw(), b.Raw(), 1, MPFR_RNDN);
                mpfr_sub(b.Raw(), zi.Raw(), b.Raw(), MPFR_RNDN);
                mpfr_mul(zr.Raw(), cr.Raw(), a.Raw(), MPFR_RNDN);
                mpfr_mul(t.Raw(), ci.Raw(), b.Raw(), MPFR_RNDN);
                mpfr_sub(zr.Raw(), zr.Raw(), t.Raw(), MPFR_RNDN);
                mpfr_mul(zi.Raw(), cr.Raw(), b.Raw(), MPFR_RNDN);
                mpfr_mul(t.Raw(), ci.Raw(), a.Raw(), MPFR_RNDN);
                mpfr_add(zi.Raw(), zi.Raw(), t.Raw(), MPFR_RNDN);
                break;
            }
        }
        ++n;
    }
    DeepPixel px;
    px.n = n;
    px.zr = zr.ToDouble();
    px.zi = zi.ToDouble();
    px.x2 = x2.ToDouble();
    px.y2 = y2.ToDouble();
    px.cr = cr.ToDouble();
    px.ci = ci.ToDouble();
    px.ozr = orr.ToDouble();
    px.ozi = oi.ToDouble();
    return px;
}

}  // namespace galleri
