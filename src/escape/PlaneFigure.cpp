#include "escape/PlaneFigure.h"

#include "surface/Surface.h"

namespace galleri {

int64_t Budget(const EscapeParams& params) {
    if (params.limit <= 0 || params.countStep == 0) {
        return 0;
    }
    const int64_t step = params.countStep;
    return (params.limit + step - 1) / step;
}

PlaneFigure WithBudget(PlaneFigure figure, int64_t iterations) {
    if (iterations != Budget(figure.params)) {
        figure.params.limit = iterations * static_cast<int64_t>(figure.params.countStep);
    }
    return figure;
}

void DrawPlaneFigure(Surface& surface, const PlaneFigure& figure, const PlaneRect& view) {
    if (figure.storesWindow) {
        DrawEscapeFigure(surface, view, figure.scan, figure.params);
        return;
    }
    // Binary decomposition keeps its rectangle to itself: the plane window
    // stays what the previous figure left.
    surface.ClearAndBegin();
    surface.IterationLimit = ClampedLimit(figure.params.limit);
    surface.PenWidth = 1;
    EscapeScan(surface, figure.scan, figure.params, view.left, view.right, view.bottom, view.top);
    surface.EndRender();
}

}  // namespace galleri
