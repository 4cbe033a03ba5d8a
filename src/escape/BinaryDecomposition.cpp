#include "escape/BinaryDecomposition.h"

#include "escape/EscapeScan.h"
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

void DrawBinaryDecomposition(Surface& surface) {
    surface.ClearAndBegin();
    surface.IterationLimit = kBinaryIterationLimit;
    surface.PenWidth = 1;

    ScanSettings settings;
    settings.form = PointForm::Direct;
    settings.divisorExtra = 0;
    settings.messageInterval = 0;
    settings.repaint = RepaintOp::None;
    settings.testsAbort = false;
    EscapeScan(surface, settings, BinaryDecompositionParams(), kBinaryLeft, kBinaryRight,
               kBinaryBottom, kBinaryTop);
    surface.EndRender();
}

}  // namespace galleri
