#pragma once

#include "escape/EscapeKernels.h"
#include "escape/EscapeScan.h"

namespace galleri {

class Surface;

// A figure of the plane as data: everything a run needs besides the
// rectangle it shows. The menu command draws it at its own rectangle; an
// explored view or `galleri-render --view` draws the same figure at another
// rectangle, with everything else unchanged.
struct PlaneFigure {
    PlaneRect own;             // the rectangle the menu command shows
    ScanSettings scan;         // point form, divisors, message points, stop test
    EscapeParams params;       // per-pixel iteration; params.limit is IterationLimit
    bool storesWindow = true;  // the run leaves its rectangle in the plane window
};

// A whole run of a figure at any rectangle: clear and begin, IterationLimit
// := params.limit, PenWidth := 1, the plane window := view (where the figure
// stores it), the scan, and the end of the run. At figure.own this is the
// menu command, pixel for pixel, with the same message points and errors.
void DrawPlaneFigure(Surface& surface, const PlaneFigure& figure, const PlaneRect& view);

// The most iterations a point of the figure gets: its counter grows by the
// step while it stays below the limit.
int64_t Budget(const EscapeParams& params);

// The figure with `iterations` iterations a point: the same counter step,
// the limit the counter reaches after that many. At the figure's own budget
// the figure is returned as it is.
PlaneFigure WithBudget(PlaneFigure figure, int64_t iterations);

// Two rectangles are the same view when all four numbers are equal.
inline bool SameRect(const PlaneRect& a, const PlaneRect& b) {
    return a.left == b.left && a.right == b.right && a.bottom == b.bottom && a.top == b.top;
}

}  // namespace galleri
