#include "surface/Random.h"

#include "surface/Errors.h"
#include "surface/Surface.h"

namespace galleri {

uint32_t RandomGenerator::NextU32() {
    const uint64_t old = state_;
    state_ = old * kMultiplier + kIncrement;
    const auto xorShifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rotation = static_cast<uint32_t>(old >> 59u);
    return (xorShifted >> rotation) | (xorShifted << ((32u - rotation) & 31u));
}

int32_t RandomGenerator::Next(int32_t n) {
    if (n < 1) {
        throw RangeError("random range below 1");
    }
    // Multiply-shift maps 32 bits onto 0 .. n - 1; the outputs of the few
    // low products that would favour some results are drawn again, so every
    // result is equally likely (and the same on every platform).
    const auto range = static_cast<uint32_t>(n);
    const uint32_t threshold = (0u - range) % range;  // 2^32 mod n
    for (;;) {
        const uint64_t product = static_cast<uint64_t>(NextU32()) * range;
        if (static_cast<uint32_t>(product) >= threshold) {
            return static_cast<int32_t>(product >> 32u);
        }
    }
}

int32_t Random(Surface& surface, int32_t n) {
    return surface.Rng.Next(n);
}

}  // namespace galleri
