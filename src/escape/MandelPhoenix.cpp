#include "escape/MandelPhoenix.h"

#include "escape/EscapeScan.h"
#include "surface/Surface.h"

namespace galleri {

EscapeParams MandelPhoenixParams() {
    EscapeParams params;
    params.kind = IterationKind::MandelPhoenix;
    params.limit = Surface::MaxColor();
    params.countStep = kMandelPhoenixCountStep;
    return params;
}

void DrawMandelPhoenix(Surface& surface) {
    surface.ClearAndBegin();
    surface.IterationLimit = static_cast<int32_t>(Surface::MaxColor());
    surface.PenWidth = 1;
    surface.SetPlaneWindow(kMandelPhoenixLeft, kMandelPhoenixRight, kMandelPhoenixBottom,
                           kMandelPhoenixTop);

    ScanSettings settings;
    settings.form = PointForm::Accumulated;
    settings.divisorExtra = 0;
    settings.messageInterval = 10;
    settings.repaint = RepaintOp::Update;
    EscapeScan(surface, settings, MandelPhoenixParams());
    surface.EndRender();
}

}  // namespace galleri
