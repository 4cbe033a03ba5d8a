#pragma once

#include <cstdint>
#include <limits>
#include <utility>

#include "surface/Errors.h"

namespace galleri {

// Checked integer arithmetic: the drawing code raises RangeError when a value
// does not fit the variable that receives it and OverflowError when an
// operation overflows, instead of wrapping silently.

template <typename To, typename From>
constexpr To CheckedCast(From v) {
    static_assert(std::numeric_limits<To>::is_integer && std::numeric_limits<From>::is_integer);
    if (!std::in_range<To>(v)) {
        throw RangeError();
    }
    return static_cast<To>(v);
}

inline uint16_t ToU16(int64_t v) {
    return CheckedCast<uint16_t>(v);
}
inline int16_t ToI16(int64_t v) {
    return CheckedCast<int16_t>(v);
}
inline int8_t ToI8(int64_t v) {
    return CheckedCast<int8_t>(v);
}
inline int32_t ToI32(int64_t v) {
    return CheckedCast<int32_t>(v);
}

template <typename T>
constexpr T CheckedAdd(T a, T b) {
    T r;
    if (__builtin_add_overflow(a, b, &r)) {
        throw OverflowError();
    }
    return r;
}

template <typename T>
constexpr T CheckedSub(T a, T b) {
    T r;
    if (__builtin_sub_overflow(a, b, &r)) {
        throw OverflowError();
    }
    return r;
}

template <typename T>
constexpr T CheckedMul(T a, T b) {
    T r;
    if (__builtin_mul_overflow(a, b, &r)) {
        throw OverflowError();
    }
    return r;
}

// sign(v): -1, 0 or 1.
template <typename T>
constexpr int Sign(T v) {
    return (v > T(0)) - (v < T(0));
}

// Truncation of a double to a 32-bit integer; a value that does not fit is a
// range error rather than undefined behaviour.
inline int32_t TruncToI32(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) {
        throw RangeError();
    }
    return static_cast<int32_t>(v);
}

// Round to the nearest integer, halves to the even neighbour (the default
// IEEE rounding mode), range-checked to 32 bits.
int32_t RoundToI32(double v);

}  // namespace galleri
