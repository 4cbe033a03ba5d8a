#pragma once

#include <cstdint>

#include "escape/EscapeKernels.h"

namespace galleri {

// What a pixel's iteration ended with, as the smooth colouring reads it.
struct IterationEnd {
    double zx = 0, zy = 0;  // the last iterate the engine produced, z_n
    // |z_{n-1}|^2, the squares the lagging escape test judged; negative for
    // the mandeldragon, whose test does not lag.
    double before2 = -1;
    double ox = 0, oy = 0;  // the phoenix map's previous iterate, z_{n-1}
    double cx = 0, cy = 0;  // c of z^2 + c, lambda of the dragons, (p, q) of the phoenix
};

// The escape radius R of the smooth colouring alone; the engines' own test
// stays |z| < 2.
inline constexpr double kSmoothRadius = 65536.0;

// The continuous escape count of a pixel that escaped after `iterations`
// iterations: nu = k + 1 - log2(log|w_k| / log R), k the first index with
// |w_k| > R, found by carrying the iteration on from the end. w is z, and
// lambda z for the dragon maps. NaN when the orbit does not pass R within a
// few dozen more iterations.
double SmoothCount(IterationKind kind, uint64_t iterations, const IterationEnd& end);

// What an engine hands out for a pixel under params.smooth: the interior's
// value when the count reached the limit (the point never escaped), else
// the value of its nu.
uint32_t SmoothValue(const EscapeParams& params, uint64_t count, const IterationEnd& end);

}  // namespace galleri
