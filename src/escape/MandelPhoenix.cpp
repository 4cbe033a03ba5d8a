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
    constexpr ScanSettings kScan{PointForm::Accumulated, 0, 10, RepaintOp::Update, true};
    DrawEscapeFigure(
        surface, {kMandelPhoenixLeft, kMandelPhoenixRight, kMandelPhoenixBottom, kMandelPhoenixTop},
        kScan, MandelPhoenixParams());
}

}  // namespace galleri
