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

#include <cstdint>

#include "escape/FastKernels.h"

namespace galleri {
namespace {

// z <- z^2 + c with the lagging test. State: zx, zy, x2, y2, cx, cy.
struct QuadraticBase {
    static constexpr int S = 6;
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
    static uint32_t Colour(const EscapeParams& p, const double* lane, int stride, uint32_t count) {
        return FinalColour(p, count, lane[0], lane[stride], lane[2 * stride], lane[3 * stride]);
    }
};

// Mandelbrot: z from 0, c the pixel's point.
struct MandelbrotKind : QuadraticBase {
    static void Init(const EscapeParams&, double* lane, int stride, double px, double py) {
        lane[0] = 0;
        lane[stride] = 0;
        lane[2 * stride] = 0;
        lane[3 * stride] = 0;
        lane[4 * stride] = px;
        lane[5 * stride] = py;
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
};

// z <- lambda z (1 - z), lambda = (P, Q) fixed, z from the pixel's point,
// lagging test. State: zx, zy, x2, y2.
struct JuliaDragonKind {
    static constexpr int S = 4;
    static void Init(const EscapeParams&, double* lane, int stride, double px, double py) {
        lane[0] = px;
        lane[stride] = py;
        lane[2 * stride] = 0;
        lane[3 * stride] = 0;
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
    static uint32_t Colour(const EscapeParams& p, const double* lane, int stride, uint32_t count) {
        return FinalColour(p, count, lane[0], lane[stride], lane[2 * stride], lane[3 * stride]);
    }
};

// lambda from the pixel's point, z from 1/2, the test on the current iterate.
// State: zx, zy, px, py.
struct MandelDragonKind {
    static constexpr int S = 4;
    static void Init(const EscapeParams&, double* lane, int stride, double px, double py) {
        lane[0] = 0.5;
        lane[stride] = 0;
        lane[2 * stride] = px;
        lane[3 * stride] = py;
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
    static uint32_t Colour(const EscapeParams& p, const double*, int, uint32_t count) {
        return FinalColour(p, count, 0, 0, 0, 0);
    }
};

// z <- z^2 + p + q z_-1 with p, q from the pixel's point, lagging test.
// State: zx, zy, ox, oy, x2, y2, px, py.
struct MandelPhoenixKind {
    static constexpr int S = 8;
    static void Init(const EscapeParams&, double* lane, int stride, double px, double py) {
        for (int i = 0; i < 6; ++i) {
            lane[i * stride] = 0;
        }
        lane[6 * stride] = px;
        lane[7 * stride] = py;
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
    static uint32_t Colour(const EscapeParams& p, const double*, int, uint32_t count) {
        return FinalColour(p, count, 0, 0, 0, 0);
    }
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

// Where each lane's pixel goes, and the run of pixels this thread took last.
// Finished pixels are counted per block of a scan computed ahead and handed
// on in batches, whenever the block changes and when the kernel ends.
template <class Kind, int K, int W>
class Lanes {
  public:
    static constexpr int S = Kind::S;
    static constexpr unsigned kFull = (1u << W) - 1;
    // One flat array: per vector, the rows of its state, W lanes each. A
    // lane's values lie W apart.
    static constexpr int kRows = S;
    using Buffer = double[K * kRows * W];
    static double* Row(Buffer& buf, int k, int i) { return buf + (k * kRows + i) * W; }

    explicit Lanes(const KernelJob& job) : job_(job) {
        for (int k = 0; k < K; ++k) {
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

    // At iteration `iter` of the loop, for every lane whose bit in mask[k]
    // (the escape test) is clear or whose budget is spent: hand out its
    // colour and load the next pixel, or retire the lane. False when no lane
    // is left.
    __attribute__((noinline)) bool Refill(Buffer& buf, const unsigned* mask, int64_t iter) {
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
            while (need != 0) {
                const int l = __builtin_ctz(need);
                need &= need - 1;
                double* lane = Row(buf, k, 0) + l;
                if (out_[k][l] >= 0) {
                    const uint64_t n = static_cast<uint64_t>(iter - start_[k][l]);
                    const uint64_t count = n * p.countStep;
                    job_.out[out_[k][l]] = Kind::Colour(p, lane, W, static_cast<uint32_t>(count));
                    Finished(block_[k][l]);
                }
                double px = 0, py = 0;
                if (Take(out_[k][l], block_[k][l], px, py)) {
                    Kind::Init(p, lane, W, px, py);
                    start_[k][l] = iter;
                    deadline_[k][l] = iter + job_.iterations;
                    nextDeadline_ =
                        deadline_[k][l] < nextDeadline_ ? deadline_[k][l] : nextDeadline_;
                } else {
                    out_[k][l] = -1;
                    Retire<S, W>(lane);
                    deadline_[k][l] = kNever;
                    --live_;
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
        if (live_ == 0) {
            Flush();
            return false;
        }
        return true;
    }

  private:
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
    int64_t nextDeadline_ = kNever;
    int live_ = K * W;
    int64_t cur_ = 0, end_ = 0, ring_ = 0;
    int col_ = 0, row_ = 0, slot_ = 0;
    int doneSlot_ = 0;
    int64_t doneCount_ = 0;
};

template <class O, class Kind, int K>
void RunVectors(const KernelJob& job) {
    using V = typename O::V;
    constexpr int W = O::W;
    constexpr int S = Kind::S;
    using L = Lanes<Kind, K, W>;
    constexpr unsigned kFull = L::kFull;

    L lanes(job);
    alignas(64) typename L::Buffer buf;
    int64_t iter = 0;  // iterations of the loop so far
    {
        unsigned mask[K];
        for (int k = 0; k < K; ++k) {
            mask[k] = 0;
        }
        if (!lanes.Refill(buf, mask, iter)) {
            return;
        }
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

    while (true) {
        unsigned all = kFull;
#pragma GCC unroll 8
        for (int k = 0; k < K; ++k) {
            all &= Kind::template Test<O>(s[k], four);
        }
        if (all != kFull || iter >= lanes.NextDeadline()) [[unlikely]] {
            unsigned mask[K];
            for (int k = 0; k < K; ++k) {
                mask[k] = Kind::template Test<O>(s[k], four);
            }
            store();
            if (!lanes.Refill(buf, mask, iter)) {
                return;
            }
            load();
        }
#pragma GCC unroll 8
        for (int k = 0; k < K; ++k) {
            Kind::template Step<O>(s[k], P, Q);
        }
        ++iter;
    }
}

// Runs the kernel of the job's kind with K vectors in flight per kind.
template <class O, int KQuad, int KDragon, int KPhoenix>
void RunKernelWith(const KernelJob& job) {
    switch (job.params->kind) {
        case IterationKind::Mandelbrot:
            RunVectors<O, MandelbrotKind, KQuad>(job);
            return;
        case IterationKind::Julia:
        case IterationKind::BinaryDecomposition:
            RunVectors<O, JuliaKind, KQuad>(job);
            return;
        case IterationKind::JuliaDragon:
            RunVectors<O, JuliaDragonKind, KDragon>(job);
            return;
        case IterationKind::MandelDragon:
            RunVectors<O, MandelDragonKind, KDragon>(job);
            return;
        case IterationKind::MandelPhoenix:
            RunVectors<O, MandelPhoenixKind, KPhoenix>(job);
            return;
    }
}

}  // namespace
}  // namespace galleri
