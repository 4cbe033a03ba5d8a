#include "view/AutoBudget.h"

#include <algorithm>

#include "escape/PlaneFigure.h"

namespace galleri {

BudgetEvidence ProbeBudget(const EscapeParams& params, const PlaneRect& view,
                           const ViewFrame& frame) {
    constexpr int kSide = 16;
    BudgetEvidence evidence;
    evidence.budget = Budget(params);
    for (int a = 0; a < kSide; ++a) {
        for (int b = 0; b < kSide; ++b) {
            // The middles of a 16 x 16 grid of cells.
            const PicturePoint p{(a + 0.5) * frame.width / kSide, (b + 0.5) * frame.height / kSide};
            const PlanePoint z = PictureToPlane(view, frame, p);
            const auto n = static_cast<int64_t>(EscapeIterations(params, z.re, z.im));
            ++evidence.pixels;
            if (n >= evidence.budget) {
                ++evidence.reached;
            } else {
                evidence.nearBudget += n > evidence.budget / 2 ? 1 : 0;
                evidence.mostEscaped = std::max(evidence.mostEscaped, n);
            }
        }
    }
    return evidence;
}

int64_t NextBudget(const BudgetEvidence& evidence, int64_t own, int64_t most) {
    const int64_t budget = evidence.budget;
    // Nothing escaped at all: the budget may be far too small to show
    // anything (a deep view is often one flat colour at first).
    const bool detailPast =
        evidence.nearBudget * 100 >= evidence.pixels || evidence.mostEscaped < 0;
    if (evidence.reached * 100 >= evidence.pixels && detailPast && budget < most) {
        return std::min(budget * 2, most);
    }
    if (evidence.mostEscaped >= 0 && evidence.mostEscaped < budget / 8 && budget > own) {
        return std::max(budget / 2, own);
    }
    return std::clamp(budget, own, most);
}

}  // namespace galleri
