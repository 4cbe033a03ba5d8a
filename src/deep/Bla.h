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
                        bool& second) const;

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
