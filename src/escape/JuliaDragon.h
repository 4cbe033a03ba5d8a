#pragma once

#include <cstdint>

#include "escape/EscapeKernels.h"
#include "escape/PlaneFigure.h"

namespace galleri {

class Surface;

inline constexpr int kJuliaDragonPresets = 10;

// The factor lambda = P + Qi and the counter step of a preset.
struct JuliaDragonPreset {
    double p, q;
    uint32_t countStep;
};

// Preset row of an index 0..9 ("jd_10" is 0, "jd_1".."jd_9" are 1..9); any
// other index is a range error.
JuliaDragonPreset JuliaDragonPresetAt(int index);
// The per-pixel parameters of a preset, for tests and benchmarks.
EscapeParams JuliaDragonParams(int index);
// A preset as a figure of the plane; any index but 0..9 is a range error.
PlaneFigure JuliaDragonFigure(int index);

// The window every Julia dragon shows.
inline constexpr double kJuliaDragonLeft = -0.4;
inline constexpr double kJuliaDragonRight = 1.4;
inline constexpr double kJuliaDragonBottom = -0.8;
inline constexpr double kJuliaDragonTop = 0.8;

// Draws one of the ten Julia sets of the dragon map z <- lambda z (1 - z).
void DrawJuliaDragon(Surface& surface, int index);

}  // namespace galleri
