#pragma once

// One pixel of z^2 + c and its Julia sets by perturbation, an iteration or a
// bilinear step at a time: the walk PerturbQuadratic makes, shared by the
// plain loop and the lanes that run several pixels' plain iterations side by
// side. Internal to the files that include it (an unnamed namespace): the
// lanes' file is compiled for its own instruction set, and its copy must not
// stand in for the plain one.

#include <algorithm>
#include <bit>
#include <cmath>

#include "deep/Bla.h"
#include "deep/FloatExp.h"
#include "deep/Perturbation.h"
#include "escape/EscapeKernels.h"

namespace galleri {

namespace {

// The pixel's difference d = w 2^s and the parameter's dc = u 2^s on the
// same scale, with what the iteration needs of 2^s at hand.
struct Scaled {
    double wr = 0, wi = 0;
    int64_t s = 0;
    double ur = 0, ui = 0;
    double scale = 1;   // 2^s, 0 below a double's range
    double scale2 = 1;  // 2^2s, likewise

    void Set(ComplexExp d, ComplexExp dc) {
        wr = d.re;
        wi = d.im;
        s = d.e;
        Normalise(dc);
    }
    ComplexExp Wide() const { return ComplexExp::Of(wr, wi, s); }
    // After s changed: 2^s and dc on the new scale. Powers of two by their
    // bits: exact, and no library call on the way of the bilinear steps.
    void Refresh(ComplexExp dc) {
        scale = s < -1022 ? 0.0 : Pow2(s);
        scale2 = scale * scale;
        // dc below 2^-1022 of d is below w's last bit: as good as 0.
        const double f = dc.e - s < -1022 ? 0.0 : Pow2(dc.e - s);
        ur = dc.re * f;
        ui = dc.im * f;
    }
    // Brings w near 1 (a zero d takes dc's scale), or, while d is well
    // within a double's range, makes w = d and s = 0, where the pixels'
    // iteration is the plain double one; and s's values up to date.
    void Normalise(ComplexExp dc) {
        const double big = std::max(std::fabs(wr), std::fabs(wi));
        if (big == 0) {
            s = dc.e >= kPlainFloor ? 0 : dc.e;
        } else {
            // big = f 2^k with 0.5 <= f < 1; then two exact scalings: w to
            // near 1, and to the new scale.
            int64_t k = 0;
            double f = 0;
            if (big >= 0x1p-1022) {
                k = static_cast<int64_t>(std::bit_cast<uint64_t>(big) >> 52) - 1022;
                f = Pow2(-k);
            } else {
                int e = 0;
                std::frexp(big, &e);
                k = e;
                wr = std::ldexp(wr, -e);
                wi = std::ldexp(wi, -e);
                f = 1;
            }
            const int64_t e = s + k;
            const int64_t to = e >= kPlainFloor ? 0 : e;
            const double g = Pow2(e - to);
            wr = wr * f * g;
            wi = wi * f * g;
            s = to;
        }
        Refresh(dc);
    }
    // Whether w has left its range: with s = 0 (d = w) once d falls below
    // 2^-500, with s != 0 once |w| is 2^64 from 1 either way (w^2 and 2^s w
    // stay well inside a double's range).
    bool Drifted(double w2) const {
        return s == 0 ? w2 < 0x1p-1000 : !(w2 > 0x1p-128 && w2 < 0x1p128);
    }

    // d of at least 2^kPlainFloor is held plainly, d = w.
    static constexpr int64_t kPlainFloor = -400;
};

// One pixel's iteration, an iteration or a bilinear step at a time.
class Walk {
  public:
    Walk(const EscapeParams& params, int64_t budget, const DeepOrbits& orbits, ComplexExp delta)
        : budget_(budget),
          orbits_(&orbits),
          fallback_(params.kind != IterationKind::Mandelbrot ? orbits.critical : orbits.reference),
          dc_(params.kind != IterationKind::Mandelbrot ? ComplexExp{} : delta),
          orbit_(orbits.reference) {
        p_.Set(params.kind != IterationKind::Mandelbrot ? delta : ComplexExp{}, dc_);
        if (params.kind == IterationKind::Mandelbrot) {
            px_.cr = orbits.pointRe + delta.Re().ToDouble();
            px_.ci = orbits.pointIm + delta.Im().ToDouble();
        } else {
            px_.cr = params.cx;
            px_.ci = params.cy;
        }
    }

    // False once the pixel is done: escaped, or its budget used.
    bool Advance() {
        stepped_ = false;
        if (n_ >= budget_) {
            return false;
        }
        const ReferenceOrbit* orbit = orbit_;
        int64_t m = m_;
        const bool ended = m == orbit->Last();
        double Zr = orbit->re[static_cast<size_t>(m)];
        double Zi = orbit->im[static_cast<size_t>(m)];
        bool tiny = std::fabs(Zr) < ReferenceOrbit::kTiny && std::fabs(Zi) < ReferenceOrbit::kTiny;
        // d as a double: 0 beyond its range, where it is far below |Z| (Z
        // not tiny) and no pixel that near is nearer 0 than the reference.
        double dr = p_.scale * p_.wr, di = p_.scale * p_.wi;
        double zr, zi;
        bool nearer;
        if (!tiny) {
            zr = Zr + dr;
            zi = Zi + di;
            nearer = zr * zr + zi * zi < dr * dr + di * di;
        } else {
            const ComplexExp z = orbit->Wide(m) + p_.Wide();
            nearer = z.Abs() < p_.Wide().Abs();
            zr = z.Re().ToDouble();
            zi = z.Im().ToDouble();
        }
        // Nearer the critical point 0 than to the reference: carry on from
        // the critical point's orbit, with d = z.
        if ((nearer && (m > 0 || orbit != fallback_)) || ended) {
            if (ended && !nearer && !px_.glitched) {
                px_.glitched = true;
                px_.glitchedAt = n_;
            }
            // d = z, held plainly where Set would hold it so: no wide
            // numbers on the way.
            const bool plain = !tiny && std::max(std::fabs(zr), std::fabs(zi)) >= 0x1p-400;
            const ComplexExp z = plain  ? ComplexExp{}
                                 : tiny ? orbit->Wide(m) + p_.Wide()
                                        : ComplexExp::Of(zr, zi);
            orbit = orbit_ = fallback_;
            m = m_ = 0;
            if (plain) {
                p_.wr = zr;
                p_.wi = zi;
                p_.s = 0;
                p_.Refresh(dc_);
            } else {
                p_.Set(z, dc_);
                zr = z.Re().ToDouble();
                zi = z.Im().ToDouble();
            }
            Zr = orbit->re[0];
            Zi = orbit->im[0];
            tiny = orbit->IsTiny(0);
            dr = p_.scale * p_.wr;
            di = p_.scale * p_.wi;
        }
        // The test looks at the squares the previous iteration formed.
        if (!(x2_ + y2_ < 4.0)) {
            return false;
        }
        x2_ = zr * zr;
        y2_ = zi * zi;
        if (!tiny) {
            // Skip what the bilinear steps allow: every iterate they pass is
            // inside, so the tests to come pass, and the last iteration of
            // the budget is always a plain one (its squares are the colour's).
            const BlaTable* steps =
                orbit == orbits_->reference ? orbits_->referenceSteps : orbits_->criticalSteps;
            int64_t length = 0;
            bool second = false;
            const BlaStep* b =
                steps != nullptr ? steps->Find(m, p_.wr * p_.wr + p_.wi * p_.wi, p_.s,
                                               dr * dr + di * di, budget_ - 1 - n_, length, second)
                                 : nullptr;
            if (b != nullptr) {
                // d' = A d + B dc (+ C d^2 in the second-order form, with s =
                // 0: d = w). Where d, dc and the step's numbers are plain
                // doubles they are used as they are; else d' = 2^(s+e) (A
                // 2^-e w + B 2^-e u ...), e the largest of their exponents:
                // the same roundings, a power of two apart.
                const bool plain = p_.s == 0 && b->plain && (!second || b->plainC);
                int64_t e = 0;
                double ar = b->par, ai = b->pai, br = b->pbr, bi = b->pbi;
                double cr = b->pcr, ci = b->pci;
                if (!plain) {
                    e = second ? std::max({b->ae, b->be, b->ce}) : std::max(b->ae, b->be);
                    const double fa = Pow2(b->ae - e), fb = Pow2(b->be - e);
                    const double fc = second ? Pow2(b->ce - e) : 0.0;
                    ar = b->ar * fa;
                    ai = b->ai * fa;
                    br = b->br * fb;
                    bi = b->bi * fb;
                    cr = b->cr * fc;
                    ci = b->ci * fc;
                }
                double nr = (ar * p_.wr - ai * p_.wi) + (br * p_.ur - bi * p_.ui);
                double ni = (ar * p_.wi + ai * p_.wr) + (br * p_.ui + bi * p_.ur);
                if (second) {
                    const double sr = p_.wr * p_.wr - p_.wi * p_.wi, si = 2 * p_.wr * p_.wi;
                    nr = nr + (cr * sr - ci * si);
                    ni = ni + (cr * si + ci * sr);
                }
                p_.wr = nr;
                p_.wi = ni;
                p_.s += e;
                const double big = std::max(std::fabs(nr), std::fabs(ni));
                if (!plain || !(big >= 0x1p-400 && big < 0x1p400)) {
                    p_.Normalise(dc_);
                }
                m_ += length;
                n_ += length;
                x2_ = 0;
                y2_ = 0;
                stepped_ = true;
                return true;
            }
            // d' = (2Z + d) d + dc, all on d's scale; 2Z + d as Z + z, the
            // sum the tests formed already.
            const double tr = Zr + (Zr + dr), ti = Zi + (Zi + di);
            const double nr = (tr * p_.wr - ti * p_.wi) + p_.ur;
            const double ni = (tr * p_.wi + ti * p_.wr) + p_.ui;
            p_.wr = nr;
            p_.wi = ni;
            if (p_.Drifted(nr * nr + ni * ni)) {
                p_.Normalise(dc_);
            }
        } else if (Zr == 0 && Zi == 0 && p_.s == 0) {
            // From the critical point itself (every pixel's start, and each
            // rebase), with d a plain double: d' = d^2 + dc.
            const double nr = (p_.wr * p_.wr - p_.wi * p_.wi) + p_.ur;
            const double ni = 2 * p_.wr * p_.wi + p_.ui;
            p_.wr = nr;
            p_.wi = ni;
            if (p_.Drifted(nr * nr + ni * ni)) {
                p_.Normalise(dc_);
            }
        } else {
            // Beside a tiny iterate d^2 may count as much as 2Z d or dc: the
            // whole step in wide exponent.
            const ComplexExp Z = orbit->Wide(m), d = p_.Wide();
            p_.Set((Z * ComplexExp::Of(2, 0) + d) * d + dc_, dc_);
        }
        ++m_;
        ++n_;
        return true;
    }

    // How the pixel ended, with the last iterate produced for the colour
    // rules that read it.
    DeepPixel Result() const {
        DeepPixel px = px_;
        const int64_t last = std::min(m_, orbit_->Last());
        if (orbit_->IsTiny(last)) {
            const ComplexExp z = orbit_->Wide(last) + p_.Wide();
            px.zr = z.Re().ToDouble();
            px.zi = z.Im().ToDouble();
        } else {
            px.zr = orbit_->re[static_cast<size_t>(last)] + p_.scale * p_.wr;
            px.zi = orbit_->im[static_cast<size_t>(last)] + p_.scale * p_.wi;
        }
        px.n = n_;
        px.x2 = x2_;
        px.y2 = y2_;
        return px;
    }

    // What the plain iterations read and change, in registers (or vector
    // lanes): PaceOf() gives it, Keep(pace) takes it back.
    struct Pace {
        const double* re;
        const double* im;
        const LaneRecord* records;  // Z and the shortest steps' radii, or null
        int64_t stop;               // the first index that needs Advance
        int64_t m, n;
        double wr, wi, scale, ur, ui, x2, y2;
        bool drifted = false;  // w has left its range: Normalise before going on

        // One plain iteration if the next is one; false, and nothing done,
        // if it needs Advance. kScaled: s != 0 (with s = 0, d is w itself).
        template <bool kScaled>
        bool Plain() {
            if (m >= stop) {
                return false;
            }
            const double Zr = re[m], Zi = im[m];
            const double dr = kScaled ? scale * wr : wr, di = kScaled ? scale * wi : wi;
            const double zr = Zr + dr, zi = Zi + di;
            const double dd = dr * dr + di * di;
            if (zr * zr + zi * zi < dd || !(x2 + y2 < 4.0) ||
                (records != nullptr && dd < records[m].r2)) {
                return false;
            }
            x2 = zr * zr;
            y2 = zi * zi;
            const double tr = Zr + zr, ti = Zi + zi;
            const double nr = (tr * wr - ti * wi) + ur;
            const double ni = (tr * wi + ti * wr) + ui;
            wr = nr;
            wi = ni;
            const double w2 = nr * nr + ni * ni;
            drifted = kScaled ? !(w2 > 0x1p-128 && w2 < 0x1p128) : w2 < 0x1p-1000;
            ++m;
            ++n;
            return true;
        }
        // Plain iterations while they are; false when the next needs Advance.
        template <bool kScaled>
        bool Run() {
            bool plain;
            do {
                plain = Plain<kScaled>();
            } while (plain && !drifted);
            return plain;
        }
    };

    bool IsScaled() const { return p_.s != 0; }
    // Where a pixel that starts again from the critical point on the orbit
    // it follows has its next stop, once at index 1: the first tiny iterate
    // from there or the orbit's end (the budget aside). 0 when it would go
    // on another orbit (the Julia sets' pixels leaving their reference).
    int64_t RestartStop() const {
        return orbit_ == fallback_ ? std::min(orbit_->NextTiny(1), orbit_->Last()) : 0;
    }
    // Whether the last Advance took a bilinear step: the next is then most
    // likely another.
    bool Stepped() const { return stepped_; }
    // The plain iterations' constants: 2^s, dc on d's scale.
    double Scale() const { return p_.scale; }
    Pace PaceOf() const {
        const BlaTable* steps =
            orbit_ == orbits_->reference ? orbits_->referenceSteps : orbits_->criticalSteps;
        // Advance takes the tiny iterates, the orbit's end and the budget's.
        const int64_t stop = std::min({orbit_->NextTiny(m_), orbit_->Last(), m_ + (budget_ - n_)});
        return {orbit_->re.data(),
                orbit_->im.data(),
                steps != nullptr ? steps->Records() : nullptr,
                stop,
                m_,
                n_,
                p_.wr,
                p_.wi,
                p_.scale,
                p_.ur,
                p_.ui,
                x2_,
                y2_};
    }
    void Keep(const Pace& pace) {
        m_ = pace.m;
        n_ = pace.n;
        p_.wr = pace.wr;
        p_.wi = pace.wi;
        x2_ = pace.x2;
        y2_ = pace.y2;
        if (pace.drifted) {
            p_.Normalise(dc_);
        }
    }

  private:
    int64_t budget_;
    const DeepOrbits* orbits_;
    const ReferenceOrbit* fallback_;
    ComplexExp dc_;
    const ReferenceOrbit* orbit_;
    int64_t m_ = 0;  // index into the orbit
    int64_t n_ = 0;  // iterations made
    Scaled p_;
    double x2_ = 0, y2_ = 0;
    DeepPixel px_;
    bool stepped_ = false;
};

// Walks the pixel to its end: the plain iterations in their own loop, the
// rest one Advance at a time.
inline DeepPixel Finish(Walk& walk) {
    for (;;) {
        Walk::Pace pace = walk.PaceOf();
        const bool plain = walk.IsScaled() ? pace.Run<true>() : pace.Run<false>();
        walk.Keep(pace);
        if (!plain && !walk.Advance()) {
            return walk.Result();
        }
    }
}

}  // namespace

}  // namespace galleri
