#include "video/BudgetPlan.h"

#include <cmath>
#include <utility>

#include "commands/Options.h"
#include "deep/DeepRender.h"
#include "video/ZoomPath.h"
#include "view/AutoBudget.h"

namespace galleri {

namespace {

// The window raises a view's budget at most this often; the first view of a
// video that starts deep may need more to show anything.
constexpr int kRaisesALevel = 3;
constexpr int kRaisesAtStart = 30;
constexpr int kDeepSampleSide = 16;

}  // namespace

BudgetPlan::BudgetPlan(const PlaneFigure& figure, ViewAt viewAt, const ViewFrame& frame,
                       double log2Step, bool fromOwn, int threads, const std::atomic<bool>* cancel)
    : figure_(figure),
      viewAt_(std::move(viewAt)),
      frame_(frame),
      perFrame_(std::fabs(log2Step)),
      fromOwn_(fromOwn),
      cancel_(cancel),
      deep_(std::make_unique<DeepEngine>(threads)) {}

BudgetPlan::~BudgetPlan() = default;

int64_t BudgetPlan::Level(double t) const {
    return ZoomLevel(t, perFrame_);
}

double BudgetPlan::LevelStart(int64_t level) const {
    return ZoomLevelStart(level, perFrame_);
}

BudgetEvidence BudgetPlan::Probe(const ExploreView& view, int64_t budget) {
    const PlaneFigure figure = WithBudget(figure_, budget);
    if (!view.Deep()) {
        return ProbeBudget(figure.params, view.plane, frame_);
    }
    // Below the floor a sample of the deep picture, as the window reads a
    // deep picture's own pixels.
    if (!deep_->Prepare(MakeDeepPicture(figure, *view.deep, kDeepSampleSide, kDeepSampleSide),
                        cancel_) ||
        !deep_->ComputePicture()) {
        return {budget, 0, 0, 0, -1};
    }
    const DeepEngine::Stats& stats = deep_->GetStats();
    return {budget, int64_t{kDeepSampleSide} * kDeepSampleSide, stats.reachedBudget,
            stats.escapedNearBudget, stats.mostEscaped};
}

int64_t BudgetPlan::At(double t) {
    const int64_t own = Budget(figure_.params);
    const int64_t level = Level(t);
    while (static_cast<int64_t>(budgets_.size()) <= level) {
        if (cancel_ != nullptr && cancel_->load()) {
            return budgets_.empty() ? own : budgets_.back();
        }
        const auto next = static_cast<int64_t>(budgets_.size());
        int64_t budget = budgets_.empty() ? own : budgets_.back();
        if (next == 0 && fromOwn_) {
            budgets_.push_back(own);
            continue;
        }
        const ExploreView view = viewAt_(LevelStart(next));
        const int raises = next == 0 ? kRaisesAtStart : kRaisesALevel;
        for (int round = 0; round < raises; ++round) {
            const BudgetEvidence evidence = Probe(view, budget);
            if (evidence.pixels == 0) {
                break;  // cancelled
            }
            const int64_t wanted = NextBudget(evidence, own, kMaxIterations);
            if (wanted == budget) {
                break;
            }
            const bool halved = wanted < budget;
            budget = wanted;
            if (halved) {
                break;  // the window lowers a budget once a view
            }
        }
        budgets_.push_back(budget);
    }
    return budgets_[static_cast<size_t>(level)];
}

}  // namespace galleri
