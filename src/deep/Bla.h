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
struct BlaStep {
    double ar, ai;  // A = (ar + i ai) 2^ae
    double br, bi;  // B = (br + i bi) 2^be
    double r2;      // R^2 = r2 2^r2e; 0 where the step never holds
    int32_t ae, be, r2e;

    // Whether |d| < R for d = w 2^s, |w|^2 = w2.
    bool Holds(double w2, int64_t s) const { return w2 < r2 * Pow2(r2e - 2 * s); }
};

// What the lanes of plain iterations read of an orbit at index m, in one
// aligned load: Z_m, and the squared radius of the single step from m as
// Find first tests it (0 where none holds, and at m = 0).
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
    // iterations.
    const BlaStep* Find(int64_t m, double w2, int64_t s, double d2, int64_t most,
                        int64_t& length) const {
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
        int lo = shortest_;
        if (s == 0) {
            // d is w itself: the radii of the steps from m side by side, in
            // a double each, read one after the other (nearly always a few).
            const size_t from = radiiFrom_[static_cast<size_t>(offset)];
            const int count = static_cast<int>(radiiFrom_[static_cast<size_t>(offset) + 1] - from);
            top = std::min(top, count - 1);
            const double* radii = &radii_[from];
            while (lo < top && w2 < radii[lo + 1]) {
                ++lo;
            }
        } else {
            // A longer step from m holds for fewer d (its radius is at most
            // its first half's): the longest that holds by bisection. The
            // shortest holds, by the test above.
            while (lo < top) {
                const int k = (lo + top + 1) / 2;
                const size_t t = static_cast<size_t>(offset >> k);
                if (t < levels_[k].size() && levels_[k][t].Holds(w2, s)) {
                    lo = k;
                } else {
                    top = k - 1;
                }
            }
        }
        length = int64_t{1} << lo;
        return &levels_[lo][static_cast<size_t>(offset >> lo)];
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
    // For each m, the squared radii of the steps from m, level by level,
    // as doubles (as Holds reads them for s = 0): radii_[radiiFrom_[m - 1]
    // .. radiiFrom_[m]).
    std::vector<double> radii_;
    std::vector<size_t> radiiFrom_;
};

}  // namespace galleri
