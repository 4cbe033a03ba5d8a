#pragma once

#include "escape/EscapeKernels.h"
#include "escape/PlaneFigure.h"

namespace galleri {

class Surface;

// The view of the dragon map's parameter plane.
inline constexpr double kMandelDragonLeft = -2.2;
inline constexpr double kMandelDragonRight = 4.2;
inline constexpr double kMandelDragonBottom = -1.5;
inline constexpr double kMandelDragonTop = 1.5;
inline constexpr uint32_t kMandelDragonCountStep = 61489;

// The per-pixel parameters, for tests and benchmarks.
EscapeParams MandelDragonParams();
// The figure of the plane.
PlaneFigure MandelDragonFigure();

// Draws the Mandelbrot-type set of z <- lambda z (1 - z): lambda is the
// pixel's point, z starts at the critical point 1/2.
void DrawMandelDragon(Surface& surface);

}  // namespace galleri
