#pragma once

#include <atomic>
#include <functional>

#include "escape/EscapeScan.h"
#include "escape/PlaneFigure.h"
#include "surface/Bitmap.h"

namespace galleri {

// Draws views of a figure of the plane for an explorer, off the interface
// thread: a coarse pass first (every few pixels in each direction, each
// filling its block), then the exact pass, giving up between small blocks
// of columns when asked to. The exact picture equals, pixel for pixel, the
// picture DrawPlaneFigure draws for that view at that size, and so the menu
// command's picture at the figure's own rectangle; with several samples a
// pixel it is the supersampled picture (RenderSupersampled) instead.

enum class ViewPass { Coarse, Exact };

// Called on the drawing thread when a pass is complete, with the whole
// picture as it stands: after the coarse pass every pixel holds the colour
// of its block's corner, after the exact pass its own. Copy what you need;
// the picture changes once the call returns.
using ViewPassDone = std::function<void(ViewPass, const Bitmap&)>;

struct ViewRenderOptions {
    // The coarse pass computes every coarseStep-th column and row (the exact
    // pass skips those points); 1 or less: no coarse pass; at most 64.
    int coarseStep = 4;
    // Samples a pixel each way in the exact pass (1 to 8), averaged in
    // linear light; the coarse pass takes one.
    int supersample = 1;
};

// Draws `view` of `figure` at width x height into `picture` (sized to it)
// with `engine`, which must be the caller's own (an engine computes for one
// thread at a time; a FastEngine shares each block out to all its threads).
// Returns true when the exact picture is complete; false when `cancel` was
// seen set, checked before each block of columns, in which case no further
// pass is reported and the picture holds a mix the caller should drop.
// A size the figure cannot draw raises the RangeError its menu command
// raises (a picture over 4096 rows high in the accumulated form, or over
// 65535 pixels wide or high), before anything is drawn.
bool RenderView(const PlaneFigure& figure, const PlaneRect& view, int width, int height,
                EscapeEngine& engine, const std::atomic<bool>& cancel, Bitmap& picture,
                const ViewPassDone& onPass = {}, const ViewRenderOptions& options = {});

}  // namespace galleri
