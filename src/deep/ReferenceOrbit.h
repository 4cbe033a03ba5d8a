#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "deep/BigFloat.h"
#include "deep/FloatExp.h"
#include "escape/EscapeKernels.h"

namespace galleri {

// One orbit of an escape-time map computed in arbitrary precision and kept
// in doubles (its values are of the order of 1 whatever the depth): the
// orbit a deep picture's pixels iterate their differences from. 16 bytes an
// iteration, and the few iterates too small for a double's exponent (the
// start 0, and near a minibrot's nucleus at great depth) once more in wide
// exponent.
struct ReferenceOrbit {
    // Below this in both parts an iterate is tiny: the pixels step from it
    // in wide exponent.
    static constexpr double kTiny = 0x1p-400;

    std::vector<double> re, im;   // Z_0 .. Z_last
    std::vector<int64_t> tinyAt;  // the tiny iterates' indices, ascending
    std::vector<ComplexExp> tiny;

    int64_t Last() const { return static_cast<int64_t>(re.size()) - 1; }
    bool Empty() const { return re.empty(); }
    bool IsTiny(int64_t m) const {
        return std::fabs(re[static_cast<size_t>(m)]) < kTiny &&
               std::fabs(im[static_cast<size_t>(m)]) < kTiny;
    }
    // Z_m in wide exponent, whatever its size.
    ComplexExp Wide(int64_t m) const;
    // The first tiny iterate's index from m on; past the end if none.
    int64_t NextTiny(int64_t m) const {
        // Nearly always past the last one (the start 0): no search.
        return tinyAt.empty() || m > tinyAt.back() ? Last() + 1 : SearchTiny(m);
    }

  private:
    int64_t SearchTiny(int64_t m) const;
};

// Where an orbit starts: the point of the plane it belongs to (the
// parameter of the Mandelbrot-type maps, the starting point of the
// Julia-type ones) and, for the Julia-type maps, whether it is the critical
// orbit instead (z from 0, or 1/2 for the dragon map), which every pixel
// can fall back on.
struct OrbitStart {
    BigFloat re, im;
    bool critical = false;
};

// Computes the orbit of the figure's map from `start`, at start's precision,
// until its squared magnitude reaches `bailout` (that iterate included) or
// `iterations` iterations are done (iterations + 1 values). The phoenix map
// starts with z = z_-1 = 0. Stops early, with what it has, when `cancel` is
// set (checked every 1024 iterations); `done` counts the iterations made.
ReferenceOrbit ComputeReferenceOrbit(const EscapeParams& params, const OrbitStart& start,
                                     int64_t iterations, double bailout,
                                     const std::atomic<bool>* cancel = nullptr,
                                     std::atomic<int64_t>* done = nullptr);

}  // namespace galleri
