#pragma once

#include <mpfr.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace galleri {

// A binary floating-point number of any precision (MPFR), rounded to nearest
// in every operation. The precision of a result is the larger of its
// operands'. Views deeper than a double can hold, and the reference orbits
// of deep pictures, are computed with it.
class BigFloat {
  public:
    // Bits of precision at least MPFR's minimum; 0 with `bits` bits.
    explicit BigFloat(long bits = 64);
    BigFloat(double value, long bits);
    BigFloat(const BigFloat& other);
    BigFloat(BigFloat&& other) noexcept;
    BigFloat& operator=(const BigFloat& other);
    BigFloat& operator=(BigFloat&& other) noexcept;
    ~BigFloat();

    // A decimal number as people write it: an optional sign, digits with an
    // optional point, an optional exponent ("-0.75", "1.5e-300", "2E10").
    // Nothing else, no spaces; nullopt otherwise. Rounded to `bits` bits.
    static std::optional<BigFloat> Parse(std::string_view text, long bits);
    // Bits that hold a decimal of `text`'s significant digits without loss
    // of what they say, with a margin (at least 64).
    static long BitsForDecimal(std::string_view text);

    long Precision() const { return mpfr_get_prec(value_); }
    // Rounds the value to `bits` bits.
    void SetPrecision(long bits);
    // The same value at `bits` bits (rounded when fewer).
    BigFloat WithPrecision(long bits) const;

    double ToDouble() const { return mpfr_get_d(value_, MPFR_RNDN); }
    // value = mantissa * 2^exponent with 0.5 <= |mantissa| < 1 (0 for 0),
    // whatever the exponent: for numbers beyond a double's range.
    double Mantissa(long& exponent) const;
    // The binary exponent e with 2^(e-1) <= |value| < 2^e; a very small
    // number for 0.
    long Exponent() const;
    bool IsZero() const { return mpfr_zero_p(value_) != 0; }
    bool IsFinite() const { return mpfr_number_p(value_) != 0; }
    int Sign() const { return mpfr_sgn(value_); }

    // The shortest decimal that reads back, at this precision, to this very
    // value: "-0.75", "1.2e-305".
    std::string ToString() const;
    // At most `digits` significant digits, rounded to nearest.
    std::string ToString(int digits) const;

    friend BigFloat operator+(const BigFloat& a, const BigFloat& b);
    friend BigFloat operator-(const BigFloat& a, const BigFloat& b);
    friend BigFloat operator*(const BigFloat& a, const BigFloat& b);
    friend BigFloat operator/(const BigFloat& a, const BigFloat& b);
    BigFloat operator-() const;
    BigFloat Abs() const;
    // value * 2^n, exactly.
    BigFloat Times2Pow(long n) const;

    friend bool operator==(const BigFloat& a, const BigFloat& b) {
        return mpfr_equal_p(a.value_, b.value_) != 0;
    }
    friend bool operator<(const BigFloat& a, const BigFloat& b) {
        return mpfr_less_p(a.value_, b.value_) != 0;
    }

    mpfr_ptr Raw() { return value_; }
    mpfr_srcptr Raw() const { return value_; }

  private:
    mpfr_t value_;
};

}  // namespace galleri
