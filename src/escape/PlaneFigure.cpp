#include "escape/PlaneFigure.h"

#include "surface/Surface.h"

namespace galleri {

void DrawPlaneFigure(Surface& surface, const PlaneFigure& figure, const PlaneRect& view) {
    if (figure.storesWindow) {
        DrawEscapeFigure(surface, view, figure.scan, figure.params);
        return;
    }
    // Binary decomposition keeps its rectangle to itself: the plane window
    // stays what the previous figure left.
    surface.ClearAndBegin();
    surface.IterationLimit = static_cast<int32_t>(figure.params.limit);
    surface.PenWidth = 1;
    EscapeScan(surface, figure.scan, figure.params, view.left, view.right, view.bottom, view.top);
    surface.EndRender();
}

}  // namespace galleri
