#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "deep/DeepEngine.h"
#include "escape/PlaneFigure.h"
#include "view/AutoBudget.h"
#include "view/ExploreView.h"
#include "view/ViewGeometry.h"

namespace galleri {

// The iteration budget of a zoom video's frames, following the depth as the
// window's automatic budget follows a dive: at every doubling of the zoom
// (a level), a sample of 16 x 16 points of the path's view there is
// iterated with the budget of the level before, and NextBudget doubles it
// (at most three times a level, as the window raises a view's) or halves
// it. The first level starts from the figure's own budget, and at the
// figure's own view keeps it, as the menu command's picture does.
//
// A frame's budget depends only on the command line, never on which frames
// a process draws, so frames drawn apart (--frames) are those of one
// process: every process works the levels out from the first.
class BudgetPlan {
  public:
    // The view of the path at position t (frames from the first).
    using ViewAt = std::function<ExploreView(double t)>;

    // log2Step: the zoom per frame (ZoomPath::Log2Step). `fromOwn`: the
    // video starts at the figure's own view. The deep samples are drawn on
    // `threads` threads (0: one per core) and give up when `cancel` is set.
    BudgetPlan(const PlaneFigure& figure, ViewAt viewAt, const ViewFrame& frame, double log2Step,
               bool fromOwn, int threads, const std::atomic<bool>* cancel = nullptr);
    ~BudgetPlan();

    // The level of position t: how many doublings of the zoom (or halvings,
    // zooming out) lie between the first frame and it.
    int64_t Level(double t) const;
    // The budget of the frames at position t's level. Works out the levels
    // up to it first; while `cancel` is set it returns the last level's.
    int64_t At(double t);
    // The position where a level begins.
    double LevelStart(int64_t level) const;

  private:
    BudgetEvidence Probe(const ExploreView& view, int64_t budget);

    PlaneFigure figure_;
    ViewAt viewAt_;
    ViewFrame frame_;
    double perFrame_;  // doublings of the zoom a frame, either way
    bool fromOwn_;
    const std::atomic<bool>* cancel_;
    std::unique_ptr<DeepEngine> deep_;
    std::vector<int64_t> budgets_;  // of the levels worked out so far
};

}  // namespace galleri
