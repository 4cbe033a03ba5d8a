#include "colour/OrderedDither.h"

namespace galleri {

namespace {

// Each rank lies as far as it can from the ranks before it, so that any
// level of grey is spread evenly over the block.
constexpr uint8_t kBayer8[64] = {
    0,  32, 8,  40, 2,  34, 10, 42,  //
    48, 16, 56, 24, 50, 18, 58, 26,  //
    12, 44, 4,  36, 14, 46, 6,  38,  //
    60, 28, 52, 20, 62, 30, 54, 22,  //
    3,  35, 11, 43, 1,  33, 9,  41,  //
    51, 19, 59, 27, 49, 17, 57, 25,  //
    15, 47, 7,  39, 13, 45, 5,  37,  //
    63, 31, 55, 23, 61, 29, 53, 21,  //
};

}  // namespace

double OrderedDitherThreshold(int64_t x, int64_t y) {
    const auto column = static_cast<uint64_t>(x) & 7u;
    const auto row = static_cast<uint64_t>(y) & 7u;
    return (kBayer8[row * 8 + column] + 0.5) / 64.0;
}

const uint8_t* BayerMatrix8() {
    return kBayer8;
}

}  // namespace galleri
