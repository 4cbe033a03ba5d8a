#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>

#include "deep/BigFloat.h"
#include "deep/Bla.h"
#include "deep/ReferenceOrbit.h"

namespace galleri {
namespace {

using Complex = std::complex<double>;

Complex Value(double re, double im, int64_t e) {
    return {std::ldexp(re, static_cast<int>(e)), std::ldexp(im, static_cast<int>(e))};
}

// Every step the table offers from the shortest steps' starts, for |d| on a
// ladder from 1e-30 to 1e-2, against the plain iteration of d' = 2Z d + d^2
// + dc it skips: within a few 1e-10 of |d'|, in the bilinear form and in the
// second-order one alike. By a minibrot (the bench's 1e-100 location's
// centre) d grows large before the pixels leave, where only the
// second-order form holds; the Julia sets' critical orbits have no dc.
TEST(BlaTable, StepsFollowTheIterationTheySkip) {
    struct Orbit {
        const char* name;
        const char* re;
        const char* im;
        bool critical;
        double dcMax;
    };
    const Orbit orbits[] = {
        {"by a minibrot at 1e-100",
         "-0.7436456586907318987764135917511951330176927117682581598931403731493681681571168365"
         "950330146507727308826359818811352795369342",
         "0.13182451525310439185682332825642828898753919868814769649719444640806965860654460848"
         "867722932018280332301424511209375012354672",
         false, 1.2e-97},
        {"the critical orbit of the rabbit's Julia set", "-0.12", "0.75", true, 0},
    };
    for (const Orbit& o : orbits) {
        EscapeParams params;
        params.kind = o.critical ? IterationKind::Julia : IterationKind::Mandelbrot;
        const long bits = 576;
        OrbitStart start{*BigFloat::Parse(o.critical ? "0" : o.re, bits),
                         *BigFloat::Parse(o.critical ? "0" : o.im, bits), o.critical};
        if (o.critical) {
            params.cx = std::stod(o.re);
            params.cy = std::stod(o.im);
        }
        const ReferenceOrbit orbit = ComputeReferenceOrbit(params, start, 40000, 1e6);
        const BlaTable table(orbit, FloatExp::Of(o.dcMax), 0x1p-40, 6);
        const Complex dc = o.dcMax * Complex(0.6, -0.7);
        int bilinear = 0, second = 0;
        for (int64_t m = 1; m + 64 < orbit.Last(); m += 64 * 7) {
            for (double size = 1e-30; size < 1e-2; size *= 7.3) {
                const Complex d = size * Complex(0.8, 0.6);
                int64_t length = 0;
                bool quadratic = false;
                const BlaStep* step = table.Find(m, std::norm(d), 0, std::norm(d), orbit.Last() - m,
                                                 length, quadratic);
                if (step == nullptr) {
                    continue;
                }
                Complex plain = d;
                for (int64_t k = m; k < m + length; ++k) {
                    const Complex Z(orbit.re[static_cast<size_t>(k)],
                                    orbit.im[static_cast<size_t>(k)]);
                    plain = (2.0 * Z + plain) * plain + dc;
                }
                Complex stepped = Value(step->ar, step->ai, step->ae) * d +
                                  Value(step->br, step->bi, step->be) * dc;
                if (quadratic) {
                    stepped += Value(step->cr, step->ci, step->ce) * d * d;
                }
                ++(quadratic ? second : bilinear);
                EXPECT_LE(std::abs(stepped - plain), 5e-10 * std::abs(plain))
                    << o.name << ": from " << m << ", " << length << " iterations, |d| " << size
                    << (quadratic ? " (second order)" : "");
            }
        }
        EXPECT_GT(bilinear, 20) << o.name;
        EXPECT_GT(second, 20) << o.name;
    }
}

}  // namespace
}  // namespace galleri
