#include "escape/JuliaDragon.h"

#include "surface/Surface.h"

namespace galleri {

namespace {

// Rows 0 and 1, and rows 4 and 5, share lambda and differ only in the
// iteration budget. For rows 2 to 8 the critical point escapes, so the filled
// set has no interior and the picture is white.
constexpr JuliaDragonPreset kPresets[kJuliaDragonPresets] = {
    {1.646009, 0.967049, 4210},  {1.646009, 0.967049, 61699}, {2.447261, -0.924069, 8455},
    {1.325508, 0.786533, 12545}, {1.415414, 0.856803, 16647}, {1.415414, 0.856803, 20487},
    {1.255399, 0.691977, 2563},  {2.797809, -0.657593, 258},  {3.018153, -0.098854, 2308},
    {2.998122, 0.004298, 1029},
};

}  // namespace

JuliaDragonPreset JuliaDragonPresetAt(int index) {
    if (index < 0 || index >= kJuliaDragonPresets) {
        throw RangeError("Julia dragon preset index");
    }
    return kPresets[index];
}

EscapeParams JuliaDragonParams(int index) {
    const JuliaDragonPreset preset = JuliaDragonPresetAt(index);
    EscapeParams params;
    params.kind = IterationKind::JuliaDragon;
    params.limit = Surface::MaxColor();
    params.countStep = preset.countStep;
    params.cx = preset.p;
    params.cy = preset.q;
    return params;
}

PlaneFigure JuliaDragonFigure(int index) {
    PlaneFigure figure;
    figure.own = {kJuliaDragonLeft, kJuliaDragonRight, kJuliaDragonBottom, kJuliaDragonTop};
    figure.scan = {PointForm::Direct, 0, 25, RepaintOp::Update, true};
    figure.params = JuliaDragonParams(index);
    return figure;
}

void DrawJuliaDragon(Surface& surface, int index) {
    const PlaneFigure figure = JuliaDragonFigure(index);
    DrawPlaneFigure(surface, figure, figure.own);
}

}  // namespace galleri
