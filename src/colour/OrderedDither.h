#pragma once

#include <cstdint>

namespace galleri {

// The threshold an 8-bit channel is rounded against at pixel (x, y), in
// [0, 1): an 8 x 8 Bayer matrix, tiled. Every 8 x 8 block holds each of the
// 64 thresholds once, so a block keeps the mean of the exact value and a slow
// gradient shows no bands. Negative coordinates tile on like positive ones.
double OrderedDitherThreshold(int64_t x, int64_t y);

// The 8 x 8 matrix itself, rank 0 to 63, row by row.
const uint8_t* BayerMatrix8();

}  // namespace galleri
