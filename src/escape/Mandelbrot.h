#pragma once

#include "escape/EscapeKernels.h"
#include "escape/PlaneFigure.h"

namespace galleri {

class Surface;

inline constexpr int kMandelbrotPresets = 14;

// Draws one of the fourteen Mandelbrot views; an index without a row of its
// own selects the last one.
void DrawMandelbrot(Surface& surface, int index);

// The per-pixel parameters and plane window of a preset, for tests and
// benchmarks.
struct MandelbrotPreset {
    double left, right, bottom, top;
    uint32_t countStep;
};
MandelbrotPreset MandelbrotPresetAt(int index);

// A preset as a figure of the plane (an index without a row of its own
// selects the last one, as the command does).
PlaneFigure MandelbrotFigure(int index);

}  // namespace galleri
