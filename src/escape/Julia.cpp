#include "escape/Julia.h"

#include "surface/Surface.h"

namespace galleri {

namespace {

constexpr int32_t kHalfMaxColor = static_cast<int32_t>(Surface::MaxColor() / 2);

constexpr JuliaPreset kPresets[kJuliaPresets] = {
    {0.238498, 0.519198, 96, 1},
    // The only preset that counts in large steps, against half the colour range.
    {-0.743026, 0.113467, kHalfMaxColor, 61487},
    {-0.192175, 0.656734, 64, 1},
    {0.108294, -0.670487, 32, 1},
    {-0.392488, -0.587966, 64, 1},
    {-0.392488, -0.587966, 256, 1},
    {0.138341, 0.649857, 32, 1},
    {0.27856, -0.003483, 24, 1},
    {-1.258842, 0.06533, 48, 1},
    {-1.028482, -0.264756, 24, 1},
    // One c with the limit 64 and 32, 22 and 16 iterations.
    {0.268545, -0.003483, 64, 2},
    {0.268545, -0.003483, 64, 3},
    {0.268545, -0.003483, 64, 4},
    {0.318623, 0.044699, 256, 1},
    {0.318623, 0.429799, 48, 1},
};

}  // namespace

JuliaPreset JuliaPresetAt(int index) {
    if (index < 0 || index >= kJuliaPresets) {
        throw RangeError("Julia preset index");
    }
    return kPresets[index];
}

EscapeParams JuliaParams(int index) {
    const JuliaPreset preset = JuliaPresetAt(index);
    EscapeParams params;
    params.kind = IterationKind::Julia;
    params.limit = preset.limit;
    params.countStep = preset.countStep;
    params.cx = preset.cx;
    params.cy = preset.cy;
    return params;
}

PlaneFigure JuliaFigure(int index) {
    PlaneFigure figure;
    figure.own = {kJuliaLeft, kJuliaRight, kJuliaBottom, kJuliaTop};
    figure.scan = {PointForm::Direct, 0, 25, RepaintOp::Update, true};
    figure.params = JuliaParams(index);
    return figure;
}

void DrawJulia(Surface& surface, int index) {
    const PlaneFigure figure = JuliaFigure(index);
    DrawPlaneFigure(surface, figure, figure.own);
}

}  // namespace galleri
