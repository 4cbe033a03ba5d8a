#include "escape/MandelDragon.h"

#include "surface/Surface.h"

namespace galleri {

EscapeParams MandelDragonParams() {
    EscapeParams params;
    params.kind = IterationKind::MandelDragon;
    params.limit = Surface::MaxColor();
    params.countStep = kMandelDragonCountStep;
    return params;
}

PlaneFigure MandelDragonFigure() {
    PlaneFigure figure;
    figure.own = {kMandelDragonLeft, kMandelDragonRight, kMandelDragonBottom, kMandelDragonTop};
    // The window is divided by one more than the picture size, so the last
    // computed column and row still lie inside it.
    figure.scan = {PointForm::Accumulated, 1, 10, RepaintOp::Update, true};
    figure.params = MandelDragonParams();
    return figure;
}

void DrawMandelDragon(Surface& surface) {
    const PlaneFigure figure = MandelDragonFigure();
    DrawPlaneFigure(surface, figure, figure.own);
}

}  // namespace galleri
