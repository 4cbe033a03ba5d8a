#pragma once

#include <cstdint>

#include "escape/EscapeKernels.h"
#include "escape/EscapeScan.h"
#include "view/ViewGeometry.h"

namespace galleri {

// What a picture's pixels (or a sample of them) did with its iteration
// budget: how many used all of it, how many escaped in its second half, and
// the most iterations of one that escaped (-1 when none did).
struct BudgetEvidence {
    int64_t budget = 0;
    int64_t pixels = 0;
    int64_t reached = 0;
    int64_t nearBudget = 0;
    int64_t mostEscaped = -1;
};

// A sample of a view of doubles: 16 x 16 points spread over the picture,
// iterated by the plain rule with the figure's budget.
BudgetEvidence ProbeBudget(const EscapeParams& params, const PlaneRect& view,
                           const ViewFrame& frame);

// The budget the explorer's next picture should have, never below `own`
// nor above `most`: doubled while a hundredth of the points still use the
// whole budget and
// either a hundredth of the picture escapes in its second half (there is
// detail past it) or none escapes at all; halved once no point escapes past
// an eighth of it.
int64_t NextBudget(const BudgetEvidence& evidence, int64_t own, int64_t most);

}  // namespace galleri
