#pragma once

// The vectorised escape-time kernel, written once over a small set of vector
// operations. Each instruction-set file defines its `Ops` and includes this
// header; everything here has internal linkage so the copies built for
// different instruction sets never mix at link time. No inline function of
// the standard library is used here for the same reason.
//
// Each vector holds W pixels; K vectors are in flight so that their
// independent dependency chains hide the latency of one. A lane whose pixel
// fails the escape test, or has had its budget of iterations, is handed its
// colour from the state it is frozen in at that moment (Count, the last
// iterate, the squares of the last iteration) and refilled with the next
// pixel, before the next iteration runs. Iterations are counted once for all
// lanes, by the loop; a lane remembers when its pixel started, so its count
// and its deadline cost nothing per iteration.
//
// Exact cycle detection. In IEEE double a pixel's iteration is a
// deterministic function of its state (the iterate, and for the phoenix map
// the previous iterate too; the counter never feeds back). Every `save`
// iterations of the loop each vector copies its lanes' states aside; every
// 8 iterations it compares them with the copy. When a lane's state equals
// its copy, taken d iterations ago, the orbit repeats with a period that
// divides d for ever: every escape test it will meet is one it has passed
// since the copy (the test at this iteration included, which runs first), so
// the pixel reaches its budget with certainty. Its count is the budget's;
// where the colour reads the last iterate, that iterate is the state
// (deadline - now) mod d steps on, stepped in scalar code with the very
// operations of the vector step. Comparisons and copies happen at multiples
// of 8 iterations only, so a cycle of period p shows within lcm(p, 8) of
// the copy; a fixed distance between copies (rather than Brent's doubling)
// finds the cycles of interior points sooner and costs two vector moves.
// Equality is IEEE equality: +0 and -0 compare equal, and a zero's sign
// changes no comparison, square or non-zero result of these maps, so the
// pixels are the same as if the bits were compared. NaN never matches.

#include <cstdint>

#include "escape/FastKernels.h"
#include "escape/SmoothCount.h"

namespace galleri {
namespace {

// z <- z^2 + c with the lagging test. State: zx, zy, x2, y2, cx, cy.
struct QuadraticBase {
    static constexpr int S = 6;
    // The rows that carry the orbit forward: equal rows, equal future.
    static constexpr int C = 2;
    static constexpr bool kColourReadsState = true;
    template <class O>
    static unsigned Test(const typename O::V* s, typename O::V four) {
        return O::Lt(O::Add(s[2], s[3]), four);
    }
    template <class O>
    static void Step(typename O::V* s, typename O::V, typename O::V) {
        const typename O::V zx = s[0], zy = s[1];
        s[2] = O::Mul(zx, zx);
        s[3] = O::Mul(zy, zy);
        // zx + zx is zx * 2, exactly.
        s[1] = O::Add(O::Mul(O::Add(zx, zx), zy), s[5]);
        s[0] = O::Add(O::Sub(s[2], s[3]), s[4]);
    }
    static uint32_t Colour(const EscapeParams& p, const double* lane, int stride, uint64_t count) {
        return FinalColour(p, count, lane[0], lane[stride], lane[2 * stride], lane[3 * stride]);
    }
    // What the smooth colouring reads: the iterate, the squares of the one
    // before and c, which the state holds for both kinds.
    static IterationEnd End(const EscapeParams&, const double* lane, int stride) {
        return {lane[0],          lane[stride],    lane[2 * stride] + lane[3 * stride], 0, 0,
                lane[4 * stride], lane[5 * stride]};
    }
};

// The colour of the kinds coloured by their count alone, as FinalColour
// gives it, here where a refill can inline it.
inline uint32_t CountColour(uint64_t count) {
    return static_cast<uint32_t>(count % (0xFFFFFFu + 1));
}

// Mandelbrot: z from 0, c the pixel's point.
struct MandelbrotKind : QuadraticBase {
    static constexpr bool kColourReadsState = false;
    static uint32_t Colour(const EscapeParams&, const double*, int, uint64_t count) {
        return CountColour(count);
    }
    static void Init(const EscapeParams&, double* lane, int stride, double px, double py) {
        lane[0] = 0;
        lane[stride] = 0;
        lane[2 * stride] = 0;
        lane[3 * stride] = 0;
        lane[4 * stride] = px;
        lane[5 * stride] = py;
    }
    // The same for W pixels at once (the first pass).
    template <class O>
    static void InitV(const EscapeParams&, typename O::V* s, typename O::V px, typename O::V py) {
        s[0] = s[1] = s[2] = s[3] = O::Set1(0.0);
        s[4] = px;
        s[5] = py;
    }
};

// Julia and binary decomposition: z from the pixel's point, c fixed.
struct JuliaKind : QuadraticBase {
    static void Init(const EscapeParams& p, double* lane, int stride, double px, double py) {
        lane[0] = px;
        lane[stride] = py;
        lane[2 * stride] = 0;
        lane[3 * stride] = 0;
        lane[4 * stride] = p.cx;
        lane[5 * stride] = p.cy;
    }
    template <class O>
    static void InitV(const EscapeParams& p, typename O::V* s, typename O::V px, typename O::V py) {
        s[0] = px;
        s[1] = py;
        s[2] = s[3] = O::Set1(0.0);
        s[4] = O::Set1(p.cx);
        s[5] = O::Set1(p.cy);
    }
};

// z <- lambda z (1 - z), lambda = (P, Q) fixed, z from the pixel's point,
// lagging test. State: zx, zy, x2, y2.
struct JuliaDragonKind {
    static constexpr int S = 4;
    static constexpr int C = 2;
    static constexpr bool kColourReadsState = true;
    static void Init(const EscapeParams&, double* lane, int stride, double px, double py) {
        lane[0] = px;
        lane[stride] = py;
        lane[2 * stride] = 0;
        lane[3 * stride] = 0;
    }
    template <class O>
    static void InitV(const EscapeParams&, typename O::V* s, typename O::V px, typename O::V py) {
        s[0] = px;
        s[1] = py;
        s[2] = s[3] = O::Set1(0.0);
    }
    template <class O>
    static unsigned Test(const typename O::V* s, typename O::V four) {
        return O::Lt(O::Add(s[2], s[3]), four);
    }
    template <class O>
    static void Step(typename O::V* s, typename O::V P, typename O::V Q) {
        const typename O::V zx = s[0], zy = s[1];
        s[2] = O::Mul(zx, zx);
        s[3] = O::Mul(zy, zy);
        const typename O::V a = O::Add(O::Sub(s[3], s[2]), zx);
        const typename O::V b = O::Sub(O::Add(O::Mul(zx, zy), O::Mul(zx, zy)), zy);
        s[1] = O::Sub(O::Mul(Q, a), O::Mul(P, b));
        s[0] = O::Add(O::Mul(P, a), O::Mul(Q, b));
    }
    static uint32_t Colour(const EscapeParams& p, const double* lane, int stride, uint64_t count) {
        return FinalColour(p, count, lane[0], lane[stride], lane[2 * stride], lane[3 * stride]);
    }
    static IterationEnd End(const EscapeParams& p, const double* lane, int stride) {
        return {lane[0], lane[stride], lane[2 * stride] + lane[3 * stride], 0, 0, p.cx, p.cy};
    }
};

// lambda from the pixel's point, z from 1/2, the test on the current iterate.
// State: zx, zy, px, py.
struct MandelDragonKind {
    static constexpr int S = 4;
    static constexpr int C = 2;
    static constexpr bool kColourReadsState = false;
    static void Init(const EscapeParams&, double* lane, int stride, double px, double py) {
        lane[0] = 0.5;
        lane[stride] = 0;
        lane[2 * stride] = px;
        lane[3 * stride] = py;
    }
    template <class O>
    static void InitV(const EscapeParams&, typename O::V* s, typename O::V px, typename O::V py) {
        s[0] = O::Set1(0.5);
        s[1] = O::Set1(0.0);
        s[2] = px;
        s[3] = py;
    }
    template <class O>
    static unsigned Test(const typename O::V* s, typename O::V four) {
        return O::Lt(O::Add(O::Mul(s[0], s[0]), O::Mul(s[1], s[1])), four);
    }
    template <class O>
    static void Step(typename O::V* s, typename O::V, typename O::V) {
        const typename O::V zx = s[0], zy = s[1], px = s[2], py = s[3];
        const typename O::V a = O::Add(O::Mul(O::Sub(zy, zx), O::Add(zy, zx)), zx);
        const typename O::V b = O::Sub(O::Add(O::Mul(zx, zy), O::Mul(zx, zy)), zy);
        s[0] = O::Add(O::Mul(px, a), O::Mul(py, b));
        s[1] = O::Sub(O::Mul(py, a), O::Mul(px, b));
    }
    static uint32_t Colour(const EscapeParams&, const double*, int, uint64_t count) {
        return CountColour(count);
    }
    // No squares of an earlier iterate: the test does not lag.
    static IterationEnd End(const EscapeParams&, const double* lane, int stride) {
        return {lane[0], lane[stride], -1, 0, 0, lane[2 * stride], lane[3 * stride]};
    }
};

// z <- z^2 + p + q z_-1 with p, q from the pixel's point, lagging test.
// State: zx, zy, ox, oy, x2, y2, px, py.
struct MandelPhoenixKind {
    static constexpr int S = 8;
    static constexpr int C = 4;  // the iterate and the previous one
    static constexpr bool kColourReadsState = false;
    static void Init(const EscapeParams&, double* lane, int stride, double px, double py) {
        for (int i = 0; i < 6; ++i) {
            lane[i * stride] = 0;
        }
        lane[6 * stride] = px;
        lane[7 * stride] = py;
    }
    template <class O>
    static void InitV(const EscapeParams&, typename O::V* s, typename O::V px, typename O::V py) {
        for (int i = 0; i < 6; ++i) {
            s[i] = O::Set1(0.0);
        }
        s[6] = px;
        s[7] = py;
    }
    template <class O>
    static unsigned Test(const typename O::V* s, typename O::V four) {
        return O::Lt(O::Add(s[4], s[5]), four);
    }
    template <class O>
    static void Step(typename O::V* s, typename O::V, typename O::V) {
        const typename O::V zx = s[0], zy = s[1], px = s[6], py = s[7];
        s[4] = O::Mul(zx, zx);
        s[5] = O::Mul(zy, zy);
        const typename O::V nx = O::Add(O::Add(O::Sub(s[4], s[5]), px), O::Mul(py, s[2]));
        const typename O::V ny = O::Add(O::Mul(O::Add(zx, zx), zy), O::Mul(py, s[3]));
        s[2] = zx;
        s[3] = zy;
        s[0] = nx;
        s[1] = ny;
    }
    static uint32_t Colour(const EscapeParams&, const double*, int, uint64_t count) {
        return CountColour(count);
    }
    static IterationEnd End(const EscapeParams&, const double* lane, int stride) {
        return {lane[0],          lane[stride],     lane[4 * stride] + lane[5 * stride],
                lane[2 * stride], lane[3 * stride], lane[6 * stride],
                lane[7 * stride]};
    }
};

// A kind under the smooth colouring: every escaped pixel's value reads its
// state (SmoothValue carries the iteration on from it, out of line, the same
// code for every instruction set and for the reference), while a pixel that
// spends its budget has the interior's value whatever its state, so a lane
// found on a cycle is not stepped to its budget's end.
template <class Base>
struct Smooth : Base {
    static constexpr bool kColourReadsState = true;
    static constexpr bool kBudgetColourReadsState = false;
    static uint32_t Colour(const EscapeParams& p, const double* lane, int stride, uint64_t count) {
        return SmoothValue(p, count, Base::End(p, lane, stride));
    }
};

// Whether the colour of a pixel that spends its budget reads its state.
template <class Kind>
constexpr bool BudgetColourReadsState() {
    if constexpr (requires { Kind::kBudgetColourReadsState; }) {
        return Kind::kBudgetColourReadsState;
    } else {
        return Kind::kColourReadsState;
    }
}

// Scalar operations for stepping one lane round its cycle: the same IEEE
// operations as a vector lane, one at a time.
struct ScalarOps {
    using V = double;
    static V Add(V a, V b) { return a + b; }
    static V Sub(V a, V b) { return a - b; }
    static V Mul(V a, V b) { return a * b; }
};

// A retired lane holds the point 0 with everything zero: every kind's orbit
// stays at 0 and passes the escape test for ever, and its deadline never
// comes. So it never asks for a refill.
template <int S, int W>
void Retire(double* lane) {
    for (int i = 0; i < S; ++i) {
        lane[i * W] = 0;
    }
}

// Iterations between the states a lane's cycle is looked for with: about
// twice the square root of the budget, a power of two from 16 to 1024 (long
// budgets have room for longer cycles; short ones need the copy soon).
inline int64_t CycleSaveInterval(int64_t budget) {
    int64_t save = 16;
    while (save < 1024 && save * save < 2 * budget) {  // (save * 1.41)^2 < 4 budget
        save *= 2;
    }
    return save;
}

// Comparisons with the copy happen every this many iterations.
inline constexpr int64_t kCycleCheck = 8;

// Budgets below this gain nothing from looking for cycles.
inline constexpr int64_t kCycleMinBudget = 128;

// Where each lane's pixel goes, and the run of pixels this thread took last.
// Finished pixels are counted per block of a scan computed ahead and handed
// on in batches, whenever the block changes and when the kernel ends.
// Iterations a pixel makes in the straight first pass, before it takes a
// lane of the main loop.
inline constexpr int kFirstPass = 16;
// Vectors the first pass iterates side by side, to hide each one's latency.
inline constexpr int kFirstPassVectors = 4;

template <class O, class Kind, int K, bool kDetect>
class Lanes {
  public:
    static constexpr int W = O::W;
    static constexpr int S = Kind::S;
    static constexpr int C = Kind::C;
    static constexpr unsigned kFull = (1u << W) - 1;
    // One flat array: per vector, the rows of its state, then the copies of
    // its first C rows that cycles are looked for with, W lanes each. A
    // lane's values lie W apart.
    static constexpr int kRows = S + C;
    using Buffer = double[K * kRows * W];
    static double* Row(Buffer& buf, int k, int i) { return buf + (k * kRows + i) * W; }
    static double* Saved(Buffer& buf, int k, int c) { return Row(buf, k, S + c); }

    explicit Lanes(const KernelJob& job) : job_(job) {
        for (int k = 0; k < K; ++k) {
            live_[k] = 0;
            for (int l = 0; l < W; ++l) {
                out_[k][l] = -1;
                block_[k][l] = 0;
                start_[k][l] = 0;
                deadline_[k][l] = kNever;
            }
        }
    }

    // The first iteration at which some lane has had its budget.
    int64_t NextDeadline() const { return nextDeadline_; }
    // The lanes of vector k that hold a pixel.
    unsigned Live(int k) const { return live_[k]; }
    // Whether the loop looks for cycles now.
    bool Detecting() const { return detecting_; }

    // At iteration `iter` of the loop, for every lane whose bit in mask[k]
    // (the escape test) is clear or whose budget is spent: hand out its
    // colour and load the next pixel, or retire the lane. A lane whose bit
    // in hit[k] is set (its state equals its copy, taken `sinceSave`
    // iterations ago) and that has neither escaped nor spent its budget is
    // on a cycle: it is handed the colour of its budget's end. False when no
    // lane is left.
    __attribute__((noinline)) bool Refill(Buffer& buf, const unsigned* mask, const unsigned* hit,
                                          int64_t iter, int64_t sinceSave) {
        const EscapeParams& p = *job_.params;
        // Deadlines are looked at only when the earliest has come; a lane
        // that escapes earlier may leave nextDeadline_ too early, which only
        // costs a look that finds nothing.
        const bool deadlines = iter >= nextDeadline_;
        for (int k = 0; k < K; ++k) {
            unsigned need = ~mask[k] & kFull;
            for (int l = 0; deadlines && l < W; ++l) {
                if (deadline_[k][l] <= iter) {
                    need |= 1u << l;
                }
            }
            for (unsigned h = hit[k] & ~need & live_[k]; h != 0; h &= h - 1) {
                const int l = __builtin_ctz(h);
                need |= 1u << l;
                cycle_[l] = true;
            }
            while (need != 0) {
                const int l = __builtin_ctz(need);
                need &= need - 1;
                double* lane = Row(buf, k, 0) + l;
                if (out_[k][l] >= 0) {
                    iterations_ += iter - start_[k][l];
                    if constexpr (kDetect) {
                        run_ += iter - start_[k][l];
                    }
                    if (cycle_[l]) {
                        cycle_[l] = false;
                        job_.out[out_[k][l]] = CycleColour(lane, deadline_[k][l] - iter, sinceSave);
                        skipped_ += deadline_[k][l] - iter;
                        ++cycles_;
                    } else {
                        const uint64_t n = static_cast<uint64_t>(iter - start_[k][l]);
                        const uint64_t count = n * p.countStep;
                        job_.out[out_[k][l]] = Kind::Colour(p, lane, W, count);
                    }
                    Finished(block_[k][l]);
                    if (kDetect && ++epochPixels_ == kEpochPixels) {
                        NextEpoch();
                    }
                }
                // Until the next copy the lane's copy belongs to no pixel of
                // its own: NaN matches nothing.
                for (int c = 0; kDetect && c < C; ++c) {
                    Saved(buf, k, c)[l] = __builtin_nan("");
                }
                if (Load(lane, out_[k][l], block_[k][l], start_[k][l], iter)) {
                    deadline_[k][l] = start_[k][l] + job_.iterations;
                    nextDeadline_ =
                        deadline_[k][l] < nextDeadline_ ? deadline_[k][l] : nextDeadline_;
                    live_[k] |= 1u << l;
                } else {
                    out_[k][l] = -1;
                    Retire<S, W>(lane);
                    deadline_[k][l] = kNever;
                    live_[k] &= ~(1u << l);
                    --alive_;
                }
            }
        }
        if (deadlines) {
            nextDeadline_ = kNever;
            for (int k = 0; k < K; ++k) {
                for (int l = 0; l < W; ++l) {
                    nextDeadline_ =
                        deadline_[k][l] < nextDeadline_ ? deadline_[k][l] : nextDeadline_;
                }
            }
        }
        if (alive_ == 0) {
            Flush();
            if (job_.stats != nullptr) {
                job_.stats->pixels.fetch_add(pixels_, std::memory_order_relaxed);
                job_.stats->iterations.fetch_add(iterations_, std::memory_order_relaxed);
                job_.stats->cycles.fetch_add(cycles_, std::memory_order_relaxed);
            }
            return false;
        }
        return true;
    }

  private:
    // Looking for cycles costs about 5% of the iterations it watches. Every
    // epoch of finished pixels weighs what it skipped against what it
    // watched; where it skipped less than a sixteenth of many iterations, it
    // rests for the next seven epochs and then looks again. Resting changes no pixel: the
    // copies stay what they were, and a match with an older copy of the
    // same pixel is as good a proof.
    static constexpr int kEpochPixels = 256;
    static constexpr int kRestEpochs = 7;
    // Epochs whose pixels ran fewer iterations than this on average cost
    // little to watch and never rest: an interior may follow them.
    static constexpr int64_t kRestAbove = 64;
    void NextEpoch() {
        if (detecting_) {
            if (skipped_ * 16 < run_ && run_ > int64_t{kEpochPixels} * kRestAbove) {
                detecting_ = false;
                rest_ = kRestEpochs;
            }
        } else if (--rest_ == 0) {
            detecting_ = true;
        }
        epochPixels_ = 0;
        run_ = 0;
        skipped_ = 0;
    }

    // The colour of a lane on a cycle of a period dividing `period`, with
    // `left` iterations of its budget to go: its state then is the state
    // left mod period steps on.
    uint32_t CycleColour(const double* lane, int64_t left, int64_t period) const {
        const EscapeParams& p = *job_.params;
        const uint64_t count = static_cast<uint64_t>(job_.iterations) * p.countStep;
        if constexpr (!BudgetColourReadsState<Kind>()) {
            return Kind::Colour(p, lane, W, count);
        } else {
            double state[S];
            for (int i = 0; i < S; ++i) {
                state[i] = lane[i * W];
            }
            for (int64_t n = left % period; n > 0; --n) {
                Kind::template Step<ScalarOps>(state, p.cx, p.cy);
            }
            return Kind::Colour(p, state, 1, count);
        }
    }

    // A pixel for a lane: its place, its block and its state after `done`
    // iterations.
    struct Survivor {
        int64_t out;
        int block;
        int64_t done;
        double state[S];
    };

    // Loads the next pixel into a lane: its place, its block, when it began
    // (iterations it made in the first pass before now) and its state.
    // False when none is left.
    bool Load(double* lane, int64_t& out, int& block, int64_t& start, int64_t iter) {
        if (job_.iterations <= kFirstPass) {
            double px = 0, py = 0;
            if (!Take(out, block, px, py)) {
                return false;
            }
            Kind::Init(*job_.params, lane, W, px, py);
            start = iter;
            return true;
        }
        const Survivor* next = NextPixel();
        if (next == nullptr) {
            return false;
        }
        for (int i = 0; i < S; ++i) {
            lane[i * W] = next->state[i];
        }
        out = next->out;
        block = next->block;
        start = iter - next->done;
        return true;
    }

    // The next pixel that needs the main loop, or null when none is left.
    // The source's pixels first make kFirstPass iterations W at a time in a
    // straight loop: most pixels of a light figure end there, for a fraction
    // of what a lane's refill costs.
    const Survivor* NextPixel() {
        while (waitingNext_ == waiting_) {
            waitingNext_ = 0;
            waiting_ = 0;
            if (!FirstPass()) {
                return nullptr;
            }
        }
        return &waitingPixels_[waitingNext_++];
    }

    // Takes up to kFirstPassVectors * W pixels of the source and iterates them kFirstPass
    // times, colouring those that escape on the way (no budget can end
    // there); the others wait for lanes with their state. False when the
    // source is used up. A lane of the main loop steps first and tests
    // after, so its pixel must have passed the test of the state it is
    // loaded with: a new pixel's first test always passes (nothing has been
    // squared yet, and 1/2 is inside the disc).
    bool FirstPass() {
        const EscapeParams& p = *job_.params;
        constexpr int G = kFirstPassVectors;
        alignas(64) double state[G][S * W];
        int64_t out[G * W];
        int block[G * W];
        unsigned done[G];
        alignas(64) double px[G * W];
        alignas(64) double py[G * W];
        int taken = 0;
        while (taken < G * W && Take(out[taken], block[taken], px[taken], py[taken])) {
            ++taken;
        }
        if (taken == 0) {
            return false;
        }
        // A missing pixel is the point 0; its lane is never looked at.
        for (int l = taken; l < G * W; ++l) {
            px[l] = 0;
            py[l] = 0;
        }
        typename O::V v[G][S];
        for (int g = 0; g < G; ++g) {
            const int real = taken - g * W;
            done[g] = real >= W ? 0u : real <= 0 ? kFull : kFull & ~((1u << real) - 1);
            Kind::template InitV<O>(p, v[g], O::Load(px + g * W), O::Load(py + g * W));
        }
        const typename O::V four = O::Set1(4.0);
        const typename O::V P = O::Set1(p.cx);
        const typename O::V Q = O::Set1(p.cy);
        // Tests 0 to kFirstPass, steps between them: a survivor has passed
        // the test of the iterate it holds, as a lane of the main loop has
        // when it steps.
        if constexpr (!Kind::kColourReadsState) {
            // Only the count matters: each lane counts the tests it passed
            // before its first failure, without a branch on the way.
            const typename O::V one = O::Set1(1.0);
            typename O::V passed[G];
            unsigned alive[G];
            for (int g = 0; g < G; ++g) {
                passed[g] = O::Set1(0.0);
                alive[g] = ~done[g] & kFull;
            }
            for (int n = 0; n <= kFirstPass; ++n) {
                if (n > 0) {
#pragma GCC unroll 4
                    for (int g = 0; g < G; ++g) {
                        Kind::template Step<O>(v[g], P, Q);
                    }
                }
                unsigned any = 0;
#pragma GCC unroll 4
                for (int g = 0; g < G; ++g) {
                    alive[g] &= Kind::template Test<O>(v[g], four);
                    passed[g] = O::AddWhere(passed[g], alive[g], one);
                    any |= alive[g];
                }
                if (any == 0) {
                    break;
                }
            }
            for (int g = 0; g < G; ++g) {
                alignas(64) double counts[W];
                O::Store(counts, passed[g]);
                for (unsigned e = ~alive[g] & ~done[g] & kFull; e != 0; e &= e - 1) {
                    const int l = __builtin_ctz(e);
                    const uint64_t n = static_cast<uint64_t>(counts[l]);
                    job_.out[out[g * W + l]] = Kind::Colour(p, nullptr, W, n * p.countStep);
                    Finished(block[g * W + l]);
                    iterations_ += static_cast<int64_t>(n);
                }
                done[g] |= ~alive[g] & kFull;
            }
        } else {
            for (int n = 0; n <= kFirstPass; ++n) {
                if (n > 0) {
#pragma GCC unroll 4
                    for (int g = 0; g < G; ++g) {
                        Kind::template Step<O>(v[g], P, Q);
                    }
                }
                unsigned all = kFull;
#pragma GCC unroll 4
                for (int g = 0; g < G; ++g) {
                    all &= Kind::template Test<O>(v[g], four) | done[g];
                }
                if (all == kFull) [[likely]] {
                    continue;
                }
                bool finished = true;
                for (int g = 0; g < G; ++g) {
                    const unsigned escaped = ~Kind::template Test<O>(v[g], four) & ~done[g] & kFull;
                    if (escaped != 0) {
                        for (int i = 0; i < S; ++i) {
                            O::Store(state[g] + i * W, v[g][i]);
                        }
                        const uint64_t count = uint64_t{p.countStep} * static_cast<uint64_t>(n);
                        for (unsigned e = escaped; e != 0; e &= e - 1) {
                            const int l = __builtin_ctz(e);
                            job_.out[out[g * W + l]] = Kind::Colour(p, state[g] + l, W, count);
                            Finished(block[g * W + l]);
                            iterations_ += n;
                        }
                        done[g] |= escaped;
                    }
                    finished = finished && done[g] == kFull;
                }
                if (finished) {
                    break;
                }
            }
        }
        for (int g = 0; g < G; ++g) {
            if (done[g] == kFull) {
                continue;
            }
            for (int i = 0; i < S; ++i) {
                O::Store(state[g] + i * W, v[g][i]);
            }
            for (unsigned left = ~done[g] & kFull; left != 0; left &= left - 1) {
                const int l = __builtin_ctz(left);
                Survivor& w = waitingPixels_[waiting_++];
                w.out = out[g * W + l];
                w.block = block[g * W + l];
                w.done = kFirstPass;
                for (int i = 0; i < S; ++i) {
                    w.state[i] = state[g][i * W + l];
                }
            }
        }
        return true;
    }

    // A run lies in one block of the source, so its colours lie one after
    // another in the ring and count for one block.
    bool Take(int64_t& out, int& block, double& px, double& py) {
        if (cur_ == end_) {
            if (!NextPixels(*job_.source, cur_, end_)) {
                return false;
            }
            col_ = static_cast<int>(cur_ / job_.rows);
            row_ = static_cast<int>(cur_ % job_.rows);
            ring_ = cur_ % job_.ringPixels;
            if (job_.progress != nullptr) {
                slot_ = static_cast<int>(cur_ / job_.progress->blockPixels % job_.progress->count);
            }
        }
        ++cur_;
        out = ring_++;
        block = slot_;
        px = job_.columnRe[col_];
        py = job_.rowIm[row_];
        if (++row_ == job_.rows) {
            row_ = 0;
            ++col_;
        }
        return true;
    }

    void Finished(int block) {
        ++pixels_;
        if (block != doneSlot_) {
            Flush();
            doneSlot_ = block;
        }
        ++doneCount_;
    }
    void Flush() {
        if (doneCount_ > 0 && job_.progress != nullptr) {
            PixelsDone(*job_.progress, doneSlot_, doneCount_);
        }
        doneCount_ = 0;
    }

    static constexpr int64_t kNever = INT64_MAX;

    const KernelJob& job_;
    int64_t out_[K][W];
    int block_[K][W];
    int64_t start_[K][W];     // the loop's iteration when the lane's pixel began
    int64_t deadline_[K][W];  // start + budget: the pixel's count is spent
    unsigned live_[K];        // lanes holding a pixel
    bool cycle_[W] = {};      // lanes of the vector at hand found on a cycle
    int64_t nextDeadline_ = kNever;
    int alive_ = K * W;
    bool detecting_ = true;
    int epochPixels_ = 0;
    int rest_ = 0;
    int64_t run_ = 0;      // iterations the epoch's pixels ran
    int64_t skipped_ = 0;  // iterations they skipped on cycles
    int64_t cycles_ = 0;   // pixels that ended on a cycle
    int64_t pixels_ = 0;   // pixels finished, for the job's statistics
    int64_t iterations_ = 0;
    Survivor waitingPixels_[kFirstPassVectors * W];
    int waiting_ = 0, waitingNext_ = 0;
    int64_t cur_ = 0, end_ = 0, ring_ = 0;
    int col_ = 0, row_ = 0, slot_ = 0;
    int doneSlot_ = 0;
    int64_t doneCount_ = 0;
};

template <class O, class Kind, int K, bool kDetect>
void RunVectors(const KernelJob& job) {
    using V = typename O::V;
    constexpr int S = Kind::S;
    constexpr int C = Kind::C;
    using L = Lanes<O, Kind, K, kDetect>;
    constexpr unsigned kFull = L::kFull;

    L lanes(job);
    alignas(64) typename L::Buffer buf;
    const int64_t save = CycleSaveInterval(job.iterations);
    int64_t iter = 0;      // iterations of the loop so far
    int64_t lastSave = 0;  // when the copies were taken
    unsigned none[K];
    for (int k = 0; k < K; ++k) {
        none[k] = 0;
    }
    if (!lanes.Refill(buf, none, none, iter, 1)) {
        return;
    }

    V s[K][S];
    auto load = [&] {
        for (int k = 0; k < K; ++k) {
            for (int i = 0; i < S; ++i) {
                s[k][i] = O::Load(L::Row(buf, k, i));
            }
        }
    };
    auto store = [&] {
        for (int k = 0; k < K; ++k) {
            for (int i = 0; i < S; ++i) {
                O::Store(L::Row(buf, k, i), s[k][i]);
            }
        }
    };
    load();

    const V four = O::Set1(4.0);
    const V P = O::Set1(job.params->cx);
    const V Q = O::Set1(job.params->cy);

    // The live lanes of vector k whose state equals their copy.
    auto Matches = [&](const V* state, int k) {
        unsigned m = lanes.Live(k);
#pragma GCC unroll 4
        for (int c = 0; c < C; ++c) {
            m &= O::Eq(state[c], O::Load(L::Saved(buf, k, c)));
        }
        return m;
    };
    // One look at the lanes: their escape masks and, at a check, which
    // lanes are on a cycle; then Refill.
    auto refill = [&](bool check) {
        unsigned mask[K];
        unsigned hit[K];
        for (int k = 0; k < K; ++k) {
            mask[k] = Kind::template Test<O>(s[k], four);
            hit[k] = check ? Matches(s[k], k) : 0;
        }
        store();
        if (!lanes.Refill(buf, mask, hit, iter, iter - lastSave)) {
            return false;
        }
        load();
        return true;
    };

    while (true) {
        if constexpr (kDetect) {
            // Every 8 iterations: compare the lanes with their copies, then
            // take new copies when due. The copies stay in memory, out of the
            // hot loop's way.
            if ((iter & (kCycleCheck - 1)) == 0 && lanes.Detecting()) [[unlikely]] {
                unsigned hits = 0;
#pragma GCC unroll 8
                for (int k = 0; k < K; ++k) {
                    hits |= Matches(s[k], k);
                }
                if (hits != 0 && !refill(true)) {
                    return;
                }
                if ((iter & (save - 1)) == 0) {
#pragma GCC unroll 8
                    for (int k = 0; k < K; ++k) {
#pragma GCC unroll 4
                        for (int c = 0; c < C; ++c) {
                            O::Store(L::Saved(buf, k, c), s[k][c]);
                        }
                    }
                    lastSave = iter;
                }
            }
        }
        unsigned all = kFull;
#pragma GCC unroll 8
        for (int k = 0; k < K; ++k) {
            all &= Kind::template Test<O>(s[k], four);
        }
        if (all != kFull || iter >= lanes.NextDeadline()) [[unlikely]] {
            if (!refill(false)) {
                return;
            }
        }
#pragma GCC unroll 8
        for (int k = 0; k < K; ++k) {
            Kind::template Step<O>(s[k], P, Q);
        }
        ++iter;
    }
}

template <class O, class Kind, int K>
void RunVectors(const KernelJob& job) {
    if (job.iterations >= kCycleMinBudget) {
        RunVectors<O, Kind, K, true>(job);
    } else {
        RunVectors<O, Kind, K, false>(job);
    }
}

// Runs the kernel of a kind, under the smooth colouring when the job asks.
template <class O, class Kind, int K>
void RunKind(const KernelJob& job) {
    if (job.params->smooth != nullptr) {
        RunVectors<O, Smooth<Kind>, K>(job);
    } else {
        RunVectors<O, Kind, K>(job);
    }
}

// Runs the kernel of the job's kind with K vectors in flight per kind.
template <class O, int KQuad, int KDragon, int KPhoenix>
void RunKernelWith(const KernelJob& job) {
    switch (job.params->kind) {
        case IterationKind::Mandelbrot:
            RunKind<O, MandelbrotKind, KQuad>(job);
            return;
        case IterationKind::Julia:
        case IterationKind::BinaryDecomposition:
            RunKind<O, JuliaKind, KQuad>(job);
            return;
        case IterationKind::JuliaDragon:
            RunKind<O, JuliaDragonKind, KDragon>(job);
            return;
        case IterationKind::MandelDragon:
            RunKind<O, MandelDragonKind, KDragon>(job);
            return;
        case IterationKind::MandelPhoenix:
            RunKind<O, MandelPhoenixKind, KPhoenix>(job);
            return;
    }
}

}  // namespace
}  // namespace galleri
