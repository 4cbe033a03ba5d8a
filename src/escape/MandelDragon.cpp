#include "escape/MandelDragon.h"

#include "escape/EscapeScan.h"
#include "surface/Surface.h"

namespace galleri {

EscapeParams MandelDragonParams() {
    EscapeParams params;
    params.kind = IterationKind::MandelDragon;
    params.limit = Surface::MaxColor();
    params.countStep = kMandelDragonCountStep;
    return params;
}

void DrawMandelDragon(Surface& surface) {
    surface.ClearAndBegin();
    surface.IterationLimit = static_cast<int32_t>(Surface::MaxColor());
    surface.PenWidth = 1;
    surface.SetPlaneWindow(kMandelDragonLeft, kMandelDragonRight, kMandelDragonBottom,
                           kMandelDragonTop);

    ScanSettings settings;
    settings.form = PointForm::Accumulated;
    // The window is divided by one more than the picture size, so the last
    // computed column and row still lie inside it.
    settings.divisorExtra = 1;
    settings.messageInterval = 10;
    settings.repaint = RepaintOp::Update;
    EscapeScan(surface, settings, MandelDragonParams());
    surface.EndRender();
}

}  // namespace galleri
