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
    // The window is divided by one more than the picture size, so the last
    // computed column and row still lie inside it.
    constexpr ScanSettings kScan{PointForm::Accumulated, 1, 10, RepaintOp::Update, true};
    DrawEscapeFigure(surface,
                     {kMandelDragonLeft, kMandelDragonRight, kMandelDragonBottom, kMandelDragonTop},
                     kScan, MandelDragonParams());
}

}  // namespace galleri
