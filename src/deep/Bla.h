#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "deep/FloatExp.h"
#include "deep/ReferenceOrbit.h"

namespace galleri {

// Bilinear approximation of the quadratic maps' perturbation, d' = 2Z d +
// d^2 + dc: while |d| is small enough that d^2 is negligible beside 2Z d,
// l iterations from reference index m are d -> A d + B dc, one complex
// multiply-add. The table holds, for each reference index m >= 1 and each
// power of two l that divides m - 1, the step's A, B and the radius R below
// which it holds: merged pairwise, so a pixel skips the longest run its |d|
// allows. A step's radius also keeps every iterate it skips inside the
// escape radius, so no escape test is skipped that could fail.
//
// A long step at great depth multiplies by far more than a double holds
// (|A| near 1e1000 at 1e-1000), so each number has an exponent of its own.
//
// Where d^2 is no longer negligible, the step's second-order form d -> A d
// + B dc + C d^2 still holds while d^3 is, for |d| from L to Q: it carries
// a pixel on where its d has grown too large for the bilinear steps (by a
// minibrot, the last thousands of iterations before it leaves). Below L
// the terms in d dc and dc^2 it leaves out would count. Only pixels whose
// d is a plain double (s = 0) take these steps.
struct BlaStep {
    double ar, ai;  // A = (ar + i ai) 2^ae
    double br, bi;  // B = (br + i bi) 2^be
    double cr, ci;  // C = (cr + i ci) 2^ce
    double r2;      // R^2 = r2 2^r2e; 0 where the step never holds
    double q2, l2;  // Q^2 and L^2 as doubles; q2 = 0 where the second-order form never holds
    int32_t ae, be, ce, r2e;
    // A and B, and C, as plain doubles where they lie within 2^-900 ..
    // 2^900: a pixel whose d is a plain double steps with these at once.
    bool plain, plainC;
    double par, pai, pbr, pbi, pcr, pci;

    // Whether |d| < R for d = w 2^s, |w|^2 = w2.
    bool Holds(double w2, int64_t s) const { return w2 < r2 * Pow2(r2e - 2 * s); }
    // Whether the second-order form holds for d = w (s = 0), |w|^2 = w2.
    bool HoldsSecond(double w2) const { return w2 < q2 && w2 >= l2; }
};

// What the lanes of plain iterations read of an orbit at index m, in one
// aligned load: Z_m, and the squared radius below which some step from m
// may hold, as Find first tests it (0 where none does, and at m = 0).
struct alignas(32) LaneRecord {
    double re, im, r2, unused;
};

class BlaTable {
  public:
    BlaTable() = default;
    // For the orbit of a pixel's reference; dcMax is the largest |dc| of
    // the pixels that use it (0 for the Julia sets, whose maps have no
    // parameter difference).
    // Its steps are of 2^shortest iterations or more: a shorter one costs
    // more than the plain iterations it skips.
    BlaTable(const ReferenceOrbit& orbit, FloatExp dcMax, double epsilon, int shortest = 0);

    // The longest step from reference index m of at most `most` iterations
    // that holds for d = w 2^s, |w|^2 = w2 and d2 = |d|^2 rounded to a
    // double (0 below its range); null when none does. `length` gets its
    // iterations, `second` whether it holds only in its second-order form.
    const BlaStep* Find(int64_t m, double w2, int64_t s, double d2, int64_t most, int64_t& length,
                        bool& second) const {
        second = false;
        if (m < 1 || most < (int64_t{1} << shortest_) || levels_.empty()) {
            return nullptr;
        }
        const int64_t offset = m - 1;
        // A longer step never holds where the shortest from m does not: most
        // iterations end here. Those radii are doubles (0 where there is no
        // such step), and a d2 rounded to 0 is below all of them.
        if (!(d2 < records_[static_cast<size_t>(m)].r2)) {
            return nullptr;
        }
        int top = offset == 0 ? static_cast<int>(levels_.size()) - 1 : __builtin_ctzll(offset);
        top = std::min({top, static_cast<int>(levels_.size()) - 1,
                        63 - __builtin_clzll(static_cast<uint64_t>(most))});
        // Only the levels that have a step from m (the last pair of a level
        // may have no merged step above it).
        while (top > shortest_ && static_cast<size_t>(offset >> top) >= levels_[top].size()) {
            --top;
        }
        const BlaStep& first = levels_[shortest_][static_cast<size_t>(offset >> shortest_)];
        int lo = shortest_;
        if (!first.Holds(w2, s)) {
            // No bilinear step: perhaps one in its second-order form.
            if (s != 0 || !first.HoldsSecond(w2)) {
                return nullptr;
            }
            lo = shortest_ - 1;
        } else if (s == 0) {
            // d is w itself: the radii of the steps from m side by side, in
            // a double each, read one after the other (nearly always a few).
            const size_t t = static_cast<size_t>(offset >> shortest_);
            const size_t from = radiiFrom_[t];
            top = std::min(top, shortest_ + static_cast<int>(radiiFrom_[t + 1] - from) - 1);
            const double* radii = &radii_[from] - shortest_;
            while (lo < top && w2 < radii[lo + 1]) {
                ++lo;
            }
        } else {
            // A longer step from m holds for fewer d (its radius is at most
            // its first half's): the longest that holds by bisection.
            while (lo < top) {
                const int k = (lo + top + 1) / 2;
                if (levels_[k][static_cast<size_t>(offset >> k)].Holds(w2, s)) {
                    lo = k;
                } else {
                    top = k - 1;
                }
            }
        }
        // A longer step in its second-order form beats a bilinear one; its
        // bounds narrow with the length too.
        int k = std::max(lo, shortest_);
        while (s == 0 && k < top &&
               levels_[k + 1][static_cast<size_t>(offset >> (k + 1))].HoldsSecond(w2)) {
            ++k;
        }
        second = k > lo;
        length = int64_t{1} << k;
        return &levels_[k][static_cast<size_t>(offset >> k)];
    }

    // Z_m and the squared radius of the shortest step from m (Find's first
    // test) side by side for m = 0 .. last; null when there are no steps.
    const LaneRecord* Records() const { return records_.empty() ? nullptr : records_.data(); }

    size_t Bytes() const;

  private:
    int shortest_ = 0;
    std::vector<std::vector<BlaStep>> levels_;
    // Z and the shortest steps' radii side by side: most iterations read
    // only these, and the cache holds a long stretch of them.
    std::vector<LaneRecord> records_;
    // For each m the shortest steps start from, the squared radii of the
    // steps from m, level by level from the shortest, as doubles (as Holds
    // reads them for s = 0): radii_[radiiFrom_[t] .. radiiFrom_[t + 1]) for
    // m - 1 = t 2^shortest. The levels below the shortest are kept empty.
    std::vector<double> radii_;
    std::vector<size_t> radiiFrom_;
};

}  // namespace galleri
