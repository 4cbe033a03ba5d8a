// Finds deep locations of the Mandelbrot set (z -> z^2 + c from 0) for the
// deep-zoom benchmarks and prints them as location files: Re, Im, Zoom (2 /
// Zoom is half the height of a 1920x1080 picture) and Iterations.
//
// A location is a minibrot's nucleus, found by Newton's method in MPFR and
// grown from a seed of low period in two kinds of steps:
//   --tune RE,IM,P  the minibrot in the current one's copy of the whole set
//                   at the place of the whole set's nucleus of period P near
//                   RE+iIM: the periods multiply;
//   --tip N         the N-th minibrot of the chain in the current one's
//                   antenna, closing in on the tip of its copy: the period
//                   times N, each step about 16 times smaller.
// Around a minibrot of period p and size s the pixels d away escape after
// about p (1 + log2(log(1 / sqrt s) / log(d / s))) iterations, evenly over
// the picture when d / s is large. So the half-width is many powers of two
// of sizes, chosen for the count; a few sizes out the counts spread widely.
//
//   galleri_find_location --seed RE,IM,P [--tune RE,IM,P]... [--tip N]
//       --half-width W [--offset X,Y] [--iterations N] [--samples CxR]
//   galleri_find_location --check FILE [--samples CxR] [--picture WxH]
//       [--extra-bits B]
//   galleri_find_location --period RE,IM,RADIUS
//
// The location goes to stdout, what was found to stderr. --samples iterates
// a grid of pixels of the picture (1920x1080 unless --picture) directly in
// MPFR and prints their counts as the renderer counts them; --check does so
// for a location file, with --extra-bits at more precision than the picture
// needs. --offset moves the centre off the nucleus by X,Y half-widths.
// --period prints the lowest period of an atom within RADIUS of the point,
// by ball arithmetic, to pick seeds with.
//
// The locations in bench/deep/locations/:
//   minibrot-1e100.kfr  --seed -0.7436423,0.1318252,39 --tune -1.7549,0,3
//                       --tip 103 --half-width 1e-100 --iterations 40000
//   minibrot-4e311.kfr  --seed -1.2507134,0.0201523,77 --tip 316
//                       --half-width 4e-311 --iterations 60000
//   deep-1e1000.kfr     --seed -0.7754651,0.1370617,26 --tip 940
//                       --half-width 1e-1000 --iterations 100000
#include <mpfr.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "deep/BigFloat.h"
#include "view/LocationFile.h"

namespace galleri {
namespace {

constexpr int kWidth = 1920, kHeight = 1080;

struct Point {
    BigFloat re, im;
};

// MPFR numbers at one precision for the loops, which then allocate nothing.
class Scratch {
  public:
    Scratch(long bits, int count) : numbers_(static_cast<size_t>(count)) {
        for (__mpfr_struct& n : numbers_) {
            mpfr_init2(&n, bits);
            mpfr_set_zero(&n, 1);
        }
    }
    ~Scratch() {
        for (__mpfr_struct& n : numbers_) {
            mpfr_clear(&n);
        }
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    mpfr_ptr operator[](int i) { return &numbers_[static_cast<size_t>(i)]; }

  private:
    std::vector<__mpfr_struct> numbers_;
};

// z = x + iy becomes z^2 + c; xx = x^2 and yy = y^2 come in and go out, for
// the next step and the escape test.
inline void Step(mpfr_ptr x, mpfr_ptr y, mpfr_ptr xx, mpfr_ptr yy, mpfr_ptr t, const Point& c) {
    mpfr_mul(t, x, y, MPFR_RNDN);
    mpfr_mul_2ui(t, t, 1, MPFR_RNDN);
    mpfr_add(y, t, c.im.Raw(), MPFR_RNDN);
    mpfr_sub(x, xx, yy, MPFR_RNDN);
    mpfr_add(x, x, c.re.Raw(), MPFR_RNDN);
    mpfr_sqr(xx, x, MPFR_RNDN);
    mpfr_sqr(yy, y, MPFR_RNDN);
}

// (ar + i ai) * (br + i bi) into (outRe, outIm), which may be either operand.
inline void Mul(mpfr_ptr outRe, mpfr_ptr outIm, mpfr_srcptr ar, mpfr_srcptr ai, mpfr_srcptr br,
                mpfr_srcptr bi, mpfr_ptr t1, mpfr_ptr t2) {
    mpfr_mul(t2, ai, bi, MPFR_RNDN);
    mpfr_fms(t1, ar, br, t2, MPFR_RNDN);
    mpfr_mul(t2, ar, bi, MPFR_RNDN);
    mpfr_fma(outIm, ai, br, t2, MPFR_RNDN);
    mpfr_swap(outRe, t1);
}

// (ar + i ai) / (br + i bi) into (outRe, outIm), which are neither operand.
inline void Div(mpfr_ptr outRe, mpfr_ptr outIm, mpfr_srcptr ar, mpfr_srcptr ai, mpfr_srcptr br,
                mpfr_srcptr bi, mpfr_ptr t1, mpfr_ptr t2) {
    mpfr_sqr(t1, br, MPFR_RNDN);
    mpfr_fma(t1, bi, bi, t1, MPFR_RNDN);
    mpfr_mul(t2, ai, bi, MPFR_RNDN);
    mpfr_fma(outRe, ar, br, t2, MPFR_RNDN);
    mpfr_div(outRe, outRe, t1, MPFR_RNDN);
    mpfr_mul(t2, ar, bi, MPFR_RNDN);
    mpfr_fms(outIm, ai, br, t2, MPFR_RNDN);
    mpfr_div(outIm, outIm, t1, MPFR_RNDN);
}

Point Make(double re, double im, long bits) {
    return {BigFloat(re, bits), BigFloat(im, bits)};
}

Point WithPrecision(const Point& p, long bits) {
    return {p.re.WithPrecision(bits), p.im.WithPrecision(bits)};
}

Point operator+(const Point& a, const Point& b) {
    return {a.re + b.re, a.im + b.im};
}
Point operator-(const Point& a, const Point& b) {
    return {a.re - b.re, a.im - b.im};
}
Point operator*(const Point& a, const Point& b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
Point operator/(const Point& a, const Point& b) {
    const BigFloat n = b.re * b.re + b.im * b.im;
    return {(a.re * b.re + a.im * b.im) / n, (a.im * b.re - a.re * b.im) / n};
}

BigFloat Modulus(const Point& p) {
    BigFloat r(std::max(p.re.Precision(), p.im.Precision()));
    mpfr_hypot(r.Raw(), p.re.Raw(), p.im.Raw(), MPFR_RNDN);
    return r;
}

// log2 |p|, for points of any exponent.
double Log2(const Point& p) {
    long e = 0;
    const double m = Modulus(p).Mantissa(e);
    return std::log2(m) + static_cast<double>(e);
}

// p^n for n >= 0 by squaring.
Point Power(Point p, int64_t n) {
    const long bits = p.re.Precision();
    Point r = Make(1, 0, bits);
    for (; n > 0; n >>= 1) {
        if ((n & 1) != 0) {
            r = r * p;
        }
        p = p * p;
    }
    return r;
}

// The iterations the renderer gives c: it tests |z| < 2 one step late, so
// the count is one more than the index of the first z_n with |z_n| >= 2;
// `budget` when there is none before.
int64_t EscapeCount(const Point& c, int64_t budget, long bits) {
    Scratch s(bits, 5);
    for (int64_t n = 1; n <= budget; ++n) {
        Step(s[0], s[1], s[2], s[3], s[4], c);
        mpfr_add(s[4], s[2], s[3], MPFR_RNDN);
        if (mpfr_cmp_ui(s[4], 4) >= 0) {
            return std::min(n + 1, budget);
        }
    }
    return budget;
}

// The lowest period of an atom in the disc of `radius` about c: the first n
// whose ball of z_n (by ball arithmetic over the disc) holds 0; 0 when z
// escapes first.
int64_t BallPeriod(const Point& c, const BigFloat& radius, int64_t maxPeriod) {
    const long bits = std::max(c.re.Precision(), c.im.Precision());
    Scratch s(bits, 5), low(64, 3);
    mpfr_ptr r = low[0], az = low[1], u = low[2];
    for (int64_t n = 1; n <= maxPeriod; ++n) {
        // r' = r (2 |z| + r) + radius
        mpfr_mul_2ui(u, az, 1, MPFR_RNDU);
        mpfr_add(u, u, r, MPFR_RNDU);
        mpfr_mul(r, r, u, MPFR_RNDU);
        mpfr_add(r, r, radius.Raw(), MPFR_RNDU);
        Step(s[0], s[1], s[2], s[3], s[4], c);
        mpfr_add(s[4], s[2], s[3], MPFR_RNDN);
        mpfr_sqrt(az, s[4], MPFR_RNDN);
        if (mpfr_less_p(az, r)) {
            return n;
        }
        if (mpfr_cmp_ui(az, 4) > 0) {
            return 0;
        }
    }
    return 0;
}

// Newton's method on c for g(c) = 0 from c, g being z_to - z_from (z_from
// being 0 when from is 0): a nucleus of period `to` when from is 0, else a
// point whose 0 lands on a cycle of period to - from after `from` steps.
// Runs at `bits` bits; false when it does not settle.
bool Newton(Point& c, int64_t from, int64_t to, long bits) {
    c = WithPrecision(c, bits);
    Scratch s(bits, 12);
    mpfr_ptr x = s[0], y = s[1], xx = s[2], yy = s[3], t1 = s[4], t2 = s[5];
    mpfr_ptr dx = s[6], dy = s[7], fx = s[8], fy = s[9], gx = s[10], gy = s[11];
    for (int step = 0; step < 100; ++step) {
        for (int i = 0; i < 12; ++i) {
            mpfr_set_zero(s[i], 1);
        }
        for (int64_t n = 0; n < to; ++n) {
            if (n == from) {
                mpfr_set(fx, x, MPFR_RNDN);
                mpfr_set(fy, y, MPFR_RNDN);
                mpfr_set(gx, dx, MPFR_RNDN);
                mpfr_set(gy, dy, MPFR_RNDN);
            }
            // dz = 2 z dz + 1, then z = z^2 + c
            Mul(dx, dy, x, y, dx, dy, t1, t2);
            mpfr_mul_2ui(dx, dx, 1, MPFR_RNDN);
            mpfr_mul_2ui(dy, dy, 1, MPFR_RNDN);
            mpfr_add_ui(dx, dx, 1, MPFR_RNDN);
            Step(x, y, xx, yy, t1, c);
        }
        mpfr_sub(x, x, fx, MPFR_RNDN);
        mpfr_sub(y, y, fy, MPFR_RNDN);
        mpfr_sub(dx, dx, gx, MPFR_RNDN);
        mpfr_sub(dy, dy, gy, MPFR_RNDN);
        Div(xx, yy, x, y, dx, dy, t1, t2);
        mpfr_sub(c.re.Raw(), c.re.Raw(), xx, MPFR_RNDN);
        mpfr_sub(c.im.Raw(), c.im.Raw(), yy, MPFR_RNDN);
        if (!c.re.IsFinite() || !c.im.IsFinite()) {
            return false;
        }
        // Settled when the step is down to the last few bits of c.
        const long scale = std::max(c.re.Exponent(), c.im.Exponent());
        const long moved = std::max(mpfr_zero_p(xx) ? LONG_MIN : mpfr_get_exp(xx),
                                    mpfr_zero_p(yy) ? LONG_MIN : mpfr_get_exp(yy));
        if (moved < scale - bits + 8) {
            return true;
        }
    }
    return false;
}

// The multiplier of the cycle of period `period` that 0 lands on after
// `from` steps at c: the product of 2 z over the cycle.
Point Multiplier(const Point& c, int64_t from, int64_t period, long bits) {
    Scratch s(bits, 9);
    mpfr_set_ui(s[5], 1, MPFR_RNDN);
    for (int64_t n = 0; n < from + period; ++n) {
        if (n >= from) {
            Mul(s[5], s[6], s[5], s[6], s[0], s[1], s[7], s[8]);
            mpfr_mul_2ui(s[5], s[5], 1, MPFR_RNDN);
            mpfr_mul_2ui(s[6], s[6], 1, MPFR_RNDN);
        }
        Step(s[0], s[1], s[2], s[3], s[4], c);
    }
    Point m{BigFloat(bits), BigFloat(bits)};
    mpfr_set(m.re.Raw(), s[5], MPFR_RNDN);
    mpfr_set(m.im.Raw(), s[6], MPFR_RNDN);
    return m;
}

// The least divisor n of `period` with |z_n| below 2^-(bits/2) at a
// nucleus: its exact period, for Newton's method may settle on a nucleus
// of a divisor.
int64_t ExactPeriod(const Point& c, int64_t period, long bits) {
    Scratch s(bits, 6);
    for (int64_t n = 1; n < period; ++n) {
        Step(s[0], s[1], s[2], s[3], s[4], c);
        if (period % n == 0) {
            mpfr_add(s[5], s[2], s[3], MPFR_RNDN);
            if (mpfr_zero_p(s[5]) || mpfr_get_exp(s[5]) < -bits) {
                return n;
            }
        }
    }
    return period;
}

// The size of the atom of period p at nucleus c, complex: c + size * u for
// u in the whole set is its copy of the set, to first order. With
// l = dz_n/dz_1 along the orbit, size = 1 / (b l_p^2), b = sum of 1/l_n.
Point Size(const Point& c, int64_t p, long bits) {
    Scratch s(bits, 11);
    mpfr_ptr x = s[0], y = s[1], xx = s[2], yy = s[3], t1 = s[4], t2 = s[5];
    mpfr_ptr lx = s[6], ly = s[7], bx = s[8], by = s[9], q = s[10];
    mpfr_set_ui(lx, 1, MPFR_RNDN);
    mpfr_set_ui(bx, 1, MPFR_RNDN);
    for (int64_t n = 1; n < p; ++n) {
        Step(x, y, xx, yy, t1, c);
        Mul(lx, ly, lx, ly, x, y, t1, t2);
        mpfr_mul_2ui(lx, lx, 1, MPFR_RNDN);
        mpfr_mul_2ui(ly, ly, 1, MPFR_RNDN);
        mpfr_sqr(q, lx, MPFR_RNDN);
        mpfr_fma(q, ly, ly, q, MPFR_RNDN);
        mpfr_div(t1, lx, q, MPFR_RNDN);
        mpfr_add(bx, bx, t1, MPFR_RNDN);
        mpfr_div(t1, ly, q, MPFR_RNDN);
        mpfr_sub(by, by, t1, MPFR_RNDN);
    }
    Mul(xx, yy, lx, ly, lx, ly, t1, t2);
    Mul(xx, yy, xx, yy, bx, by, t1, t2);
    mpfr_set_ui(lx, 1, MPFR_RNDN);
    mpfr_set_zero(ly, 1);
    Point size{BigFloat(bits), BigFloat(bits)};
    Div(size.re.Raw(), size.im.Raw(), lx, ly, xx, yy, t1, t2);
    return size;
}

struct Minibrot {
    Point nucleus;
    int64_t period = 0;
    Point size;
};

// Bits to place a minibrot of this size and see around it.
long BitsFor(const Point& size) {
    return static_cast<long>(-Log2(size)) + 96;
}

void Describe(const char* what, const Minibrot& m) {
    std::fprintf(stderr, "%s: period %lld, size %s, nucleus %s %s\n", what,
                 static_cast<long long>(m.period), Modulus(m.size).ToString(4).c_str(),
                 m.nucleus.re.ToString(20).c_str(), m.nucleus.im.ToString(20).c_str());
}

// The nucleus of period p near `guess` at `bits`, checked to be of that
// very period.
std::optional<Minibrot> FindMinibrot(Point guess, int64_t p, long bits) {
    if (!Newton(guess, 0, p, bits) || ExactPeriod(guess, p, bits) != p) {
        return std::nullopt;
    }
    Minibrot m{guess, p, Size(guess, p, bits)};
    if (BitsFor(m.size) > bits) {
        m.nucleus = WithPrecision(m.nucleus, BitsFor(m.size));
        if (!Newton(m.nucleus, 0, p, BitsFor(m.size))) {
            return std::nullopt;
        }
        m.size = Size(m.nucleus, p, BitsFor(m.size));
    }
    return m;
}

// The minibrot in m's copy of the set at the place of the whole set's
// nucleus of `period` near `guess`.
std::optional<Minibrot> Tune(const Minibrot& m, const Point& guess, int64_t period) {
    const std::optional<Minibrot> inner = FindMinibrot(guess, period, 128);
    if (!inner) {
        std::fprintf(stderr, "no nucleus of period %lld near the tuning point\n",
                     static_cast<long long>(period));
        return std::nullopt;
    }
    const long bits = BitsFor(m.size) + BitsFor(inner->size);
    const Point place = m.nucleus + WithPrecision(m.size, bits) * inner->nucleus;
    return FindMinibrot(place, m.period * period, bits);
}

// The n-th minibrot of the chain in m's antenna: the one at the place of the
// whole set's leftmost real nucleus of period n, n >= 2. They close in on
// the tip of the copy, a Misiurewicz point a, as a + K mu^-n with mu the
// multiplier of its cycle, so each is found from a guess extrapolated from
// one found before.
std::optional<Minibrot> Tip(const Minibrot& m, int64_t n) {
    const int64_t p = m.period;
    // Sizes shrink by |mu|^2 a step, |mu| being near 4: 5 bits a step for
    // the tip, then what mu says.
    Point tip = m.nucleus + m.size * Make(-2, 0, 64);
    if (!Newton(tip, 2 * p, 3 * p, BitsFor(m.size) + 5 * n + 64)) {
        std::fprintf(stderr, "the tip's Misiurewicz point was not found\n");
        return std::nullopt;
    }
    const Point mu = Multiplier(tip, 2 * p, p, tip.re.Precision());
    const double bitsPerStep = 2 * Log2(mu);
    auto bitsAt = [&](int64_t k) {
        return BitsFor(m.size) + static_cast<long>(std::ceil(bitsPerStep * k)) + 64;
    };
    std::fprintf(stderr, "tip %s %s, multiplier %s %s\n", tip.re.ToString(20).c_str(),
                 tip.im.ToString(20).c_str(), mu.re.ToString(8).c_str(), mu.im.ToString(8).c_str());
    int64_t k = std::min<int64_t>(n, 6);
    // The whole set's leftmost real nucleus of period k lies near
    // -2 + 6 pi^2 / 4^(k+1).
    const std::optional<Minibrot> real =
        FindMinibrot(Make(-2 + 6 * M_PI * M_PI / std::pow(4.0, k + 1), 0, 128), k, 128);
    if (!real) {
        return std::nullopt;
    }
    std::optional<Minibrot> found = FindMinibrot(
        m.nucleus + WithPrecision(m.size, bitsAt(k)) * real->nucleus, p * k, bitsAt(k));
    while (found && k < n) {
        const int64_t next = std::min(n, 2 * k);
        const Point from = WithPrecision(found->nucleus, bitsAt(next));
        const Point one = Make(1, 0, bitsAt(next));
        const Point guess = tip + (from - tip) * Power(one / mu, next - k);
        std::fprintf(stderr, "  chain step %lld: period %lld, |c - tip| 2^%.1f, size 2^%.1f\n",
                     static_cast<long long>(k), static_cast<long long>(k * p),
                     Log2(found->nucleus - tip), Log2(found->size));
        found = FindMinibrot(guess, p * next, bitsAt(next));
        k = next;
    }
    if (!found) {
        std::fprintf(stderr, "the chain lost its minibrot at step %lld\n",
                     static_cast<long long>(k));
    }
    return found;
}

// RE,IM[,THIRD] with THIRD a number too when wanted.
bool ParsePoint(std::string_view text, long bits, Point& point, std::string* third = nullptr) {
    const size_t comma = text.find(',');
    if (comma == std::string_view::npos) {
        return false;
    }
    std::string_view rest = text.substr(comma + 1);
    const size_t second = rest.find(',');
    if ((second != std::string_view::npos) != (third != nullptr)) {
        return false;
    }
    if (third != nullptr) {
        *third = std::string(rest.substr(second + 1));
        rest = rest.substr(0, second);
    }
    std::optional<BigFloat> re = BigFloat::Parse(text.substr(0, comma), bits);
    std::optional<BigFloat> im = BigFloat::Parse(rest, bits);
    if (!re || !im) {
        return false;
    }
    point = {std::move(*re), std::move(*im)};
    return true;
}

// Iterates a grid of columns x rows pixels of a picture of width x height
// at the location, its corner pixels among them, at the points the deep
// engine gives them (left + i (right - left) / width, likewise down from
// the top), and prints their counts, the least, the median and the most.
// `extraBits` more than the picture needs show whether rounding mattered.
void Sample(const Location& location, int width, int height, int columns, int rows,
            long extraBits) {
    DeepRect view = LocationView(location, width, height);
    const long bits = view.left.Precision() + extraBits;
    for (BigFloat* edge : {&view.left, &view.right, &view.bottom, &view.top}) {
        edge->SetPrecision(bits);
    }
    const int64_t budget = location.iterations.value_or(1000);
    const BigFloat stepRe = (view.right - view.left) / BigFloat(width, bits);
    const BigFloat stepIm = (view.top - view.bottom) / BigFloat(height, bits);
    const auto start = std::chrono::steady_clock::now();
    std::vector<int64_t> counts;
    for (int j = 0; j < rows; ++j) {
        const int y = rows > 1
                          ? static_cast<int>(std::lround(double(j) * (height - 1) / (rows - 1)))
                          : height / 2;
        std::fprintf(stderr, "%5d:", y);
        for (int i = 0; i < columns; ++i) {
            const int x =
                columns > 1 ? static_cast<int>(std::lround(double(i) * (width - 1) / (columns - 1)))
                            : width / 2;
            const Point c{view.left + stepRe * BigFloat(x, bits),
                          view.top - stepIm * BigFloat(y, bits)};
            counts.push_back(EscapeCount(c, budget, bits));
            std::fprintf(stderr, " %6lld", static_cast<long long>(counts.back()));
        }
        std::fprintf(stderr, "\n");
    }
    std::sort(counts.begin(), counts.end());
    std::fprintf(
        stderr, "%zu pixels of %dx%d at %ld bits: least %lld, median %lld, most %lld (%.1f s)\n",
        counts.size(), width, height, bits, static_cast<long long>(counts.front()),
        static_cast<long long>(counts[counts.size() / 2]), static_cast<long long>(counts.back()),
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

int Usage() {
    std::fprintf(stderr,
                 "usage: galleri_find_location --seed RE,IM,P [--tune RE,IM,P]... [--tip N]\n"
                 "           --half-width W [--offset X,Y] [--iterations N] [--samples CxR]\n"
                 "       galleri_find_location --check FILE [--samples CxR] [--picture WxH]\n"
                 "           [--extra-bits B]\n"
                 "       galleri_find_location --period RE,IM,RADIUS\n");
    return 2;
}

int Run(int argc, char** argv) {
    std::optional<Minibrot> mini;
    std::optional<BigFloat> halfWidth;
    Point offset = Make(0, 0, 64);
    int64_t iterations = 0;
    int columns = 0, rows = 0, width = kWidth, height = kHeight;
    long extraBits = 0;
    std::string checkFile;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (i + 1 >= argc) {
            return Usage();
        }
        const std::string_view value = argv[++i];
        Point point;
        std::string third;
        if (option == "--seed" || option == "--tune") {
            if (!ParsePoint(value, 128, point, &third) || (option == "--tune" && !mini) ||
                (option == "--seed" && mini)) {
                return Usage();
            }
            const int64_t period = std::atoll(third.c_str());
            mini =
                option == "--seed" ? FindMinibrot(point, period, 128) : Tune(*mini, point, period);
            if (!mini) {
                std::fprintf(stderr, "%s %s: no minibrot found\n", argv[i - 1], argv[i]);
                return 1;
            }
            Describe(argv[i - 1] + 2, *mini);
        } else if (option == "--tip") {
            if (!mini) {
                return Usage();
            }
            mini = Tip(*mini, std::atoll(std::string(value).c_str()));
            if (!mini) {
                return 1;
            }
            Describe("tip", *mini);
        } else if (option == "--half-width") {
            halfWidth = BigFloat::Parse(value, 64);
            if (!halfWidth || halfWidth->Sign() <= 0) {
                return Usage();
            }
        } else if (option == "--offset") {
            if (!ParsePoint(value, 64, offset)) {
                return Usage();
            }
        } else if (option == "--iterations") {
            iterations = std::atoll(std::string(value).c_str());
        } else if (option == "--samples") {
            if (std::sscanf(std::string(value).c_str(), "%dx%d", &columns, &rows) != 2 ||
                columns < 1 || rows < 1) {
                return Usage();
            }
        } else if (option == "--picture") {
            if (std::sscanf(std::string(value).c_str(), "%dx%d", &width, &height) != 2 ||
                width < 1 || height < 1) {
                return Usage();
            }
        } else if (option == "--extra-bits") {
            extraBits = std::atol(std::string(value).c_str());
        } else if (option == "--check") {
            checkFile = value;
        } else if (option == "--period") {
            const size_t comma = value.rfind(',');
            const std::optional<BigFloat> radius =
                comma == std::string_view::npos ? std::nullopt
                                                : BigFloat::Parse(value.substr(comma + 1), 64);
            if (!radius || radius->Sign() <= 0 ||
                !ParsePoint(value.substr(0, comma), 64 - radius->Exponent(), point)) {
                return Usage();
            }
            std::printf("%lld\n", static_cast<long long>(BallPeriod(point, *radius, 10000000)));
            return 0;
        } else {
            return Usage();
        }
    }
    if (!checkFile.empty()) {
        std::ifstream in(checkFile, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        const ParsedLocation parsed = ParseLocation(text);
        if (!parsed.location) {
            std::fprintf(stderr, "%s: %s\n", checkFile.c_str(), parsed.error.c_str());
            return 1;
        }
        Sample(*parsed.location, width, height, columns > 0 ? columns : 9, rows > 0 ? rows : 5,
               extraBits);
        return 0;
    }
    if (!mini || !halfWidth) {
        return Usage();
    }
    // Zoom z shows 2/z above and below the centre; the width follows from
    // the picture's 16:9. Four digits are plenty for a zoom.
    const long bits = 80 - halfWidth->Exponent();
    const BigFloat zoom = BigFloat(2.0 * kWidth / kHeight, 64) / *halfWidth;
    Location location{mini->nucleus.re.WithPrecision(bits) + offset.re * *halfWidth,
                      mini->nucleus.im.WithPrecision(bits) + offset.im * *halfWidth,
                      *BigFloat::Parse(zoom.ToString(4), 64), std::nullopt};
    if (iterations > 0) {
        location.iterations = iterations;
    }
    std::fprintf(stderr, "half-width %s is 2^%.1f sizes of the minibrot\n",
                 halfWidth->ToString(6).c_str(),
                 Log2(Point{*halfWidth, BigFloat(64)}) - Log2(mini->size));
    const std::string text = FormatLocation(location);
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (columns > 0) {
        Sample(location, width, height, columns, rows, extraBits);
    }
    return 0;
}

}  // namespace
}  // namespace galleri

int main(int argc, char** argv) {
    return galleri::Run(argc, argv);
}
