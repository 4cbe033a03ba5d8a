#include "escape/BinaryDecomposition.h"

#include "surface/Surface.h"

namespace galleri {

EscapeParams BinaryDecompositionParams() {
    EscapeParams params;
    params.kind = IterationKind::BinaryDecomposition;
    params.limit = kBinaryIterationLimit;
    params.countStep = 1;
    params.cx = 0.318623;
    params.cy = 0.0429799;
    return params;
}

PlaneFigure BinaryDecompositionFigure() {
    PlaneFigure figure;
    figure.own = {kBinaryLeft, kBinaryRight, kBinaryBottom, kBinaryTop};
    figure.scan = {PointForm::Direct, 0, 0, RepaintOp::None, false};
    figure.params = BinaryDecompositionParams();
    figure.storesWindow = false;
    return figure;
}

void DrawBinaryDecomposition(Surface& surface) {
    const PlaneFigure figure = BinaryDecompositionFigure();
    DrawPlaneFigure(surface, figure, figure.own);
}

}  // namespace galleri
