#pragma once

#include <cstdint>

namespace galleri {

class Surface;

// The program's one source of random numbers: a PCG32 generator (64-bit
// linear congruential state, permuted 32-bit output) that starts from the
// same fixed state at every program start and is never reseeded, so the
// figures that draw from it are the same in every run and on every platform,
// and the sequence continues from one command to the next.
class RandomGenerator {
  public:
    // A uniform integer from 0 to n - 1; n must be at least 1 (else a range
    // error).
    int32_t Next(int32_t n);
    // The next raw 32-bit output.
    uint32_t NextU32();

  private:
    static constexpr uint64_t kMultiplier = 6364136223846793005u;
    static constexpr uint64_t kIncrement = 1442695040888963407u;  // odd
    uint64_t state_ = 0x853C49E6748FEA9Bu;
};

// Random(n) of the figures: the next number of the surface's generator.
int32_t Random(Surface& surface, int32_t n);

}  // namespace galleri
