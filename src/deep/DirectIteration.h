#pragma once

#include <cstdint>

#include "deep/BigFloat.h"
#include "deep/Perturbation.h"
#include "escape/EscapeKernels.h"

namespace galleri {

// The plain iteration of the figure's own rule, test and lag included, for
// one point given in arbitrary precision and carried out at that precision:
// slow, and the measure that deep pictures are checked against. The result
// has the iterations, the last iterate and the squares rounded to doubles,
// for DeepColour.
DeepPixel IterateDirect(const EscapeParams& params, int64_t budget, const BigFloat& re,
                        const BigFloat& im);

}  // namespace galleri
