#pragma once

#include <cstdint>

#include "escape/EscapeKernels.h"
#include "escape/PlaneFigure.h"

namespace galleri {

class Surface;

inline constexpr int kJuliaPresets = 15;

// The constant c, the iteration limit and the counter step of a preset.
struct JuliaPreset {
    double cx, cy;
    int32_t limit;
    uint32_t countStep;
};

// Preset row of an index 0..14; any other index is a range error.
JuliaPreset JuliaPresetAt(int index);
// The per-pixel parameters of a preset, for tests and benchmarks.
EscapeParams JuliaParams(int index);
// A preset as a figure of the plane; any index but 0..14 is a range error.
PlaneFigure JuliaFigure(int index);

// The window every Julia preset shows.
inline constexpr double kJuliaLeft = -1.8;
inline constexpr double kJuliaRight = 1.8;
inline constexpr double kJuliaBottom = -1.2;
inline constexpr double kJuliaTop = 1.2;

// Draws one of the fifteen filled Julia sets of z^2 + c.
void DrawJulia(Surface& surface, int index);

}  // namespace galleri
