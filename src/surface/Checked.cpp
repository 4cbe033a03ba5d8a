#include "surface/Checked.h"

#include <cmath>

namespace galleri {

int32_t RoundToI32(double v) {
    // nearbyint follows the current rounding mode, which is never changed
    // from round-to-nearest-even.
    return TruncToI32(std::nearbyint(v));
}

}  // namespace galleri
