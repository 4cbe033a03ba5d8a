#pragma once

#include <cstdint>

namespace galleri {

class SmoothColouring;

// Which iteration an escape-time figure runs per pixel.
enum class IterationKind {
    Mandelbrot,           // z <- z^2 + c from z = 0, colour = Count mod 2^24
    Julia,                // z <- z^2 + c from the pixel's point, colour by |z|^2
    JuliaDragon,          // z <- lambda z (1 - z) from the pixel's point
    MandelDragon,         // lambda from the pixel, z from 1/2, no lag in the test
    MandelPhoenix,        // z <- z^2 + p + q z_-1
    BinaryDecomposition,  // Julia iteration, black or white by the last iterate
};

// Everything the per-pixel iteration needs besides the point itself.
struct EscapeParams {
    IterationKind kind = IterationKind::Mandelbrot;
    int64_t limit = 0;       // IterationLimit: iterate while Count < limit
    uint32_t countStep = 1;  // Count grows by this per iteration
    double cx = 0;           // Julia c, or the dragon's lambda = (cx, cy)
    double cy = 0;
    // The smooth colouring, or null for the figure's own colours. With one,
    // every engine hands out its values (SmoothColouring::Value) instead of
    // colours, and the scan colours them by the pixel's place. It must
    // outlive every drawing with these parameters.
    const SmoothColouring* smooth = nullptr;
};

// The plain scalar reference: colour of the pixel whose point is (px, py),
// or its smooth value when params.smooth is set. Every fast path must give
// exactly these values.
uint32_t EscapeColour(const EscapeParams& params, double px, double py);

// Colour of a pixel from the state its iteration ended in: Count, the last
// iterate produced and the squares the last iteration left. Shared by the
// reference and the fast engine so both colour alike.
uint32_t FinalColour(const EscapeParams& params, uint64_t count, double zx, double zy, double x2,
                     double y2);

// The iteration count the reference spends on one pixel (for benchmarks).
uint64_t EscapeIterations(const EscapeParams& params, double px, double py);

// The smooth colouring's continuous escape count nu of one pixel, as the
// reference finds it (SmoothCount), before the palette: NaN for a point
// that spends its budget (for tests).
double EscapeSmoothCount(const EscapeParams& params, double px, double py);

}  // namespace galleri
