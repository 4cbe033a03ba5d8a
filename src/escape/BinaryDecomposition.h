#pragma once

#include "escape/EscapeKernels.h"
#include "escape/PlaneFigure.h"

namespace galleri {

class Surface;

// The figure's own rectangle; it is not stored in the plane window.
inline constexpr double kBinaryLeft = -2.0;
inline constexpr double kBinaryRight = 2.0;
inline constexpr double kBinaryBottom = -1.5;
inline constexpr double kBinaryTop = 1.5;
inline constexpr int32_t kBinaryIterationLimit = 16;

// The per-pixel parameters, for tests and benchmarks.
EscapeParams BinaryDecompositionParams();
// The figure of the plane: its rectangle stays local (the plane window is
// left alone) and it has no message points and no stop test.
PlaneFigure BinaryDecompositionFigure();

// Draws the binary decomposition of one Julia set in black and white. It
// neither repaints nor handles messages nor looks at the stop request.
void DrawBinaryDecomposition(Surface& surface);

}  // namespace galleri
