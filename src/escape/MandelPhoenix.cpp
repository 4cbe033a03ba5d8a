#include "escape/MandelPhoenix.h"

#include "surface/Surface.h"

namespace galleri {

EscapeParams MandelPhoenixParams() {
    EscapeParams params;
    params.kind = IterationKind::MandelPhoenix;
    params.limit = Surface::MaxColor();
    params.countStep = kMandelPhoenixCountStep;
    return params;
}

PlaneFigure MandelPhoenixFigure() {
    PlaneFigure figure;
    figure.own = {kMandelPhoenixLeft, kMandelPhoenixRight, kMandelPhoenixBottom, kMandelPhoenixTop};
    figure.scan = {PointForm::Accumulated, 0, 10, RepaintOp::Update, true};
    figure.params = MandelPhoenixParams();
    return figure;
}

void DrawMandelPhoenix(Surface& surface) {
    const PlaneFigure figure = MandelPhoenixFigure();
    DrawPlaneFigure(surface, figure, figure.own);
}

}  // namespace galleri
