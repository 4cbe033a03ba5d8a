#include "deep/BigFloat.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace galleri {

namespace {

long ClampBits(long bits) {
    return std::clamp<long>(bits, MPFR_PREC_MIN, MPFR_PREC_MAX);
}

// Whether text is [+-]digits[.digits][(e|E)[+-]digits] with at least one
// digit before the exponent.
bool IsDecimal(std::string_view text) {
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        size_t exponentDigits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0 || exponentDigits > 9) {
            return false;
        }
    }
    return i == text.size();
}

// MPFR's digits and exponent (value = 0.DIGITS * 10^exp) as a decimal people
// read: plain for moderate exponents, else d.ddde-N.
std::string Decimal(std::string digits, long exp10) {
    const bool negative = !digits.empty() && digits[0] == '-';
    if (negative) {
        digits.erase(0, 1);
    }
    const std::string sign(negative ? 1 : 0, '-');
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    if (digits == "0") {
        return "0";
    }
    const long n = static_cast<long>(digits.size());
    // The value is 0.DIGITS * 10^exp10, so the first digit stands at 10^(exp10-1).
    const long point = exp10;
    if (point > -6 && point <= 21) {
        std::string text = sign;
        if (point <= 0) {
            text += "0.";
            text.append(static_cast<size_t>(-point), '0');
            text += digits;
        } else if (point >= n) {
            text += digits;
            text.append(static_cast<size_t>(point - n), '0');
        } else {
            text.append(digits, 0, static_cast<size_t>(point));
            text += '.';
            text.append(digits, static_cast<size_t>(point), std::string::npos);
        }
        return text;
    }
    std::string text = sign;
    text += digits[0];
    if (n > 1) {
        text += '.';
        text.append(digits, 1, std::string::npos);
    }
    text += 'e';
    text += std::to_string(point - 1);
    return text;
}

}  // namespace

BigFloat::BigFloat(long bits) {
    mpfr_init2(value_, ClampBits(bits));
    mpfr_set_zero(value_, 1);
}

BigFloat::BigFloat(double value, long bits) {
    mpfr_init2(value_, ClampBits(bits));
    mpfr_set_d(value_, value, MPFR_RNDN);
}

BigFloat::BigFloat(const BigFloat& other) {
    mpfr_init2(value_, other.Precision());
    mpfr_set(value_, other.value_, MPFR_RNDN);
}

BigFloat::BigFloat(BigFloat&& other) noexcept {
    // A moved-from number keeps a valid, tiny value of its own.
    mpfr_init2(value_, MPFR_PREC_MIN);
    mpfr_swap(value_, other.value_);
}

BigFloat& BigFloat::operator=(const BigFloat& other) {
    if (this != &other) {
        mpfr_set_prec(value_, other.Precision());
        mpfr_set(value_, other.value_, MPFR_RNDN);
    }
    return *this;
}

BigFloat& BigFloat::operator=(BigFloat&& other) noexcept {
    mpfr_swap(value_, other.value_);
    return *this;
}

BigFloat::~BigFloat() {
    mpfr_clear(value_);
}

std::optional<BigFloat> BigFloat::Parse(std::string_view text, long bits) {
    if (!IsDecimal(text)) {
        return std::nullopt;
    }
    BigFloat value(bits);
    const std::string copy(text);
    if (mpfr_set_str(value.value_, copy.c_str(), 10, MPFR_RNDN) != 0) {
        return std::nullopt;
    }
    return value;
}

long BigFloat::BitsForDecimal(std::string_view text) {
    long digits = 0;
    for (const char c : text) {
        if (c == 'e' || c == 'E') {
            break;
        }
        digits += c >= '0' && c <= '9' ? 1 : 0;
    }
    // log2(10) < 3.33 bits a digit, and a margin.
    return std::max<long>(64, digits * 10 / 3 + 16);
}

void BigFloat::SetPrecision(long bits) {
    mpfr_prec_round(value_, ClampBits(bits), MPFR_RNDN);
}

BigFloat BigFloat::WithPrecision(long bits) const {
    BigFloat r(bits);
    mpfr_set(r.value_, value_, MPFR_RNDN);
    return r;
}

double BigFloat::Mantissa(long& exponent) const {
    if (IsZero() || !IsFinite()) {
        exponent = 0;
        return IsZero() ? 0.0 : ToDouble();
    }
    return mpfr_get_d_2exp(&exponent, value_, MPFR_RNDN);
}

long BigFloat::Exponent() const {
    if (IsZero() || !IsFinite()) {
        return -(1L << 40);
    }
    return mpfr_get_exp(value_);
}

std::string BigFloat::ToString(int digits) const {
    if (IsZero()) {
        return "0";
    }
    if (!IsFinite()) {
        return mpfr_nan_p(value_) ? "nan" : (Sign() < 0 ? "-inf" : "inf");
    }
    mpfr_exp_t exp10 = 0;
    char* raw = mpfr_get_str(nullptr, &exp10, 10, static_cast<size_t>(std::max(digits, 1)), value_,
                             MPFR_RNDN);
    std::string text = Decimal(raw, exp10);
    mpfr_free_str(raw);
    return text;
}

std::string BigFloat::ToString() const {
    if (IsZero() || !IsFinite()) {
        return ToString(1);
    }
    // Enough digits always read back (MPFR's own bound); fewer may too.
    const int most = static_cast<int>(mpfr_get_str_ndigits(10, Precision()));
    int low = 1, high = most;
    while (low < high) {
        const int mid = (low + high) / 2;
        const std::optional<BigFloat> back = Parse(ToString(mid), Precision());
        if (back && *back == *this) {
            high = mid;
        } else {
            low = mid + 1;
        }
    }
    return ToString(low);
}

BigFloat operator+(const BigFloat& a, const BigFloat& b) {
    BigFloat r(std::max(a.Precision(), b.Precision()));
    mpfr_add(r.value_, a.value_, b.value_, MPFR_RNDN);
    return r;
}

BigFloat operator-(const BigFloat& a, const BigFloat& b) {
    BigFloat r(std::max(a.Precision(), b.Precision()));
    mpfr_sub(r.value_, a.value_, b.value_, MPFR_RNDN);
    return r;
}

BigFloat operator*(const BigFloat& a, const BigFloat& b) {
    BigFloat r(std::max(a.Precision(), b.Precision()));
    mpfr_mul(r.value_, a.value_, b.value_, MPFR_RNDN);
    return r;
}

BigFloat operator/(const BigFloat& a, const BigFloat& b) {
    BigFloat r(std::max(a.Precision(), b.Precision()));
    mpfr_div(r.value_, a.value_, b.value_, MPFR_RNDN);
    return r;
}

BigFloat BigFloat::operator-() const {
    BigFloat r(Precision());
    mpfr_neg(r.value_, value_, MPFR_RNDN);
    return r;
}

BigFloat BigFloat::Abs() const {
    BigFloat r(Precision());
    mpfr_abs(r.value_, value_, MPFR_RNDN);
    return r;
}

BigFloat BigFloat::Times2Pow(long n) const {
    BigFloat r(Precision());
    mpfr_mul_2si(r.value_, value_, n, MPFR_RNDN);
    return r;
}

}  // namespace galleri
