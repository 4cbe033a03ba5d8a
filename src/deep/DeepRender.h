#pragma once

#include <atomic>

#include "deep/DeepEngine.h"
#include "escape/PlaneFigure.h"
#include "escape/ViewRender.h"
#include "surface/Bitmap.h"
#include "view/DeepView.h"

namespace galleri {

// The deep picture of `view` of `figure` at width x height, with the
// figure's budget (its params' limit) and divisors.
DeepPicture MakeDeepPicture(const PlaneFigure& figure, const DeepRect& view, int width, int height);

// Draws a deep view for an explorer, off the interface thread, as
// RenderView draws a view of doubles: the reference orbit, then a coarse
// pass (every coarseStep-th pixel each way, each filling its block), then
// the exact picture, which is the one galleri-render draws for that view.
// `cancel` is looked at while the orbit and the pixels are computed; false
// when it stopped the drawing. Raises the size errors RenderView raises.
bool RenderDeepView(const PlaneFigure& figure, const DeepRect& view, int width, int height,
                    DeepEngine& engine, const std::atomic<bool>& cancel, Bitmap& picture,
                    const ViewPassDone& onPass = {}, const ViewRenderOptions& options = {});

}  // namespace galleri
