#pragma once

#include "escape/EscapeKernels.h"
#include "escape/PlaneFigure.h"

namespace galleri {

class Surface;

// The view of the phoenix map's parameter plane: p to the right, q upwards.
inline constexpr double kMandelPhoenixLeft = -2.1;
inline constexpr double kMandelPhoenixRight = 1.5;
inline constexpr double kMandelPhoenixBottom = -2.0;
inline constexpr double kMandelPhoenixTop = 2.0;
inline constexpr uint32_t kMandelPhoenixCountStep = 53267;

// The per-pixel parameters, for tests and benchmarks.
EscapeParams MandelPhoenixParams();
// The figure of the plane.
PlaneFigure MandelPhoenixFigure();

// Draws the Mandelbrot-type set of z <- z^2 + p + q z_-1 with the real p and
// q taken from the pixel's point, z and z_-1 started at 0.
void DrawMandelPhoenix(Surface& surface);

}  // namespace galleri
