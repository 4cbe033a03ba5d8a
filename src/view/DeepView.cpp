#include "view/DeepView.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>
#include <vector>

#include "view/ViewText.h"

namespace galleri {

namespace {

std::string Quoted(std::string_view field) {
    std::string quoted(1, '\'');
    quoted.append(field);
    quoted.push_back('\'');
    return quoted;
}

bool HasNonzeroDigit(std::string_view text) {
    return text.find_first_of("123456789") != std::string_view::npos;
}

bool IsDouble(const BigFloat& value) {
    return value.IsFinite() && BigFloat(value.ToDouble(), value.Precision()) == value;
}

// The significant digits d1 d2 ... of a value d1.d2... * 10^exponent, as
// to_chars would print them: the shorter of fixed and scientific notation,
// fixed on a tie, a signed exponent of at least two digits.
std::string LayOut(bool negative, const std::string& digits, long exponent) {
    const long n = static_cast<long>(digits.size());
    const long magnitude = std::labs(exponent);
    const long exponentDigits =
        std::max<long>(2, static_cast<long>(std::to_string(magnitude).size()));
    const long scientificLength = n + (n > 1 ? 1 : 0) + 2 + exponentDigits;
    const long fixedLength = exponent >= n - 1 ? exponent + 1
                             : exponent >= 0   ? n + 1
                                               : n + 1 - exponent;
    std::string text = negative ? "-" : "";
    if (fixedLength <= scientificLength) {
        if (exponent >= n - 1) {
            text += digits;
            text.append(static_cast<size_t>(exponent + 1 - n), '0');
        } else if (exponent >= 0) {
            text.append(digits, 0, static_cast<size_t>(exponent + 1));
            text += '.';
            text.append(digits, static_cast<size_t>(exponent + 1), std::string::npos);
        } else {
            text += "0.";
            text.append(static_cast<size_t>(-exponent - 1), '0');
            text += digits;
        }
        return text;
    }
    text += digits[0];
    if (n > 1) {
        text += '.';
        text.append(digits, 1, std::string::npos);
    }
    text += exponent < 0 ? "e-" : "e+";
    if (magnitude < 10) {
        text += '0';
    }
    text += std::to_string(magnitude);
    return text;
}

// What ParseView says of a field it refuses, or "" when it reads the field
// (or would but for a double's range).
std::string FieldError(std::string_view field) {
    if (field.empty()) {
        return "a number is missing";
    }
    double value = 0;
    const char* end = field.data() + field.size();
    const std::from_chars_result r = std::from_chars(field.data(), end, value);
    if (r.ptr != end || (r.ec != std::errc() && r.ec != std::errc::result_out_of_range)) {
        return Quoted(field) + " is not a number";
    }
    if (r.ec == std::errc() && !std::isfinite(value)) {
        return Quoted(field) + " is not a finite number";
    }
    return "";
}

// Reads the four fields, which FieldError passed, at `bits` bits.
bool ReadEdges(const std::vector<std::string_view>& fields, long bits, BigFloat* edges,
               std::string& error) {
    for (size_t k = 0; k < 4; ++k) {
        bool outOfRange = false;
        std::optional<BigFloat> value = ReadDecimal(fields[k], bits, outOfRange);
        if (!value && !outOfRange) {
            // A form from_chars reads and BigFloat does not: its double is all it says.
            double number = 0;
            const std::from_chars_result r =
                std::from_chars(fields[k].data(), fields[k].data() + fields[k].size(), number);
            if (r.ec == std::errc()) {
                value = BigFloat(number, bits);
            }
        }
        if (!value) {
            error = Quoted(fields[k]) +
                    (outOfRange ? " has an exponent out of range" : " is not a number");
            return false;
        }
        edges[k] = std::move(*value);
    }
    return true;
}

std::string TooManyBits() {
    return "the view needs more than " + std::to_string(kMaxDeepBits) + " bits of precision";
}

}  // namespace

std::optional<BigFloat> ReadDecimal(std::string_view text, long bits, bool& outOfRange) {
    outOfRange = false;
    const size_t e = text.find_first_of("eE");
    const std::string_view mantissa = text.substr(0, e);
    std::string normal(mantissa);
    if (e != std::string_view::npos) {
        std::string_view exponent = text.substr(e + 1);
        char sign = '+';
        if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
            sign = exponent[0];
            exponent.remove_prefix(1);
        }
        if (exponent.empty() ||
            exponent.find_first_not_of("0123456789") != std::string_view::npos) {
            return std::nullopt;
        }
        // BigFloat::Parse takes at most nine exponent digits; leading zeros say nothing.
        const size_t lead = exponent.find_first_not_of('0');
        exponent = lead == std::string_view::npos ? std::string_view("0") : exponent.substr(lead);
        if (exponent.size() > 9) {
            std::optional<BigFloat> value = BigFloat::Parse(mantissa, bits);
            if (value && !value->IsZero()) {
                outOfRange = true;
                return std::nullopt;
            }
            return value;
        }
        normal += 'e';
        normal += sign;
        normal.append(exponent);
    }
    std::optional<BigFloat> value = BigFloat::Parse(normal, bits);
    // MPFR overflows to infinity and underflows to 0.
    if (value && (!value->IsFinite() || (value->IsZero() && HasNonzeroDigit(mantissa)))) {
        outOfRange = true;
        return std::nullopt;
    }
    return value;
}

long ShapeBits(const DeepRect& view) {
    const long largest = std::max(
        {view.left.Exponent(), view.right.Exponent(), view.bottom.Exponent(), view.top.Exponent()});
    const long narrower =
        std::min((view.right - view.left).Exponent(), (view.top - view.bottom).Exponent());
    return largest - narrower + 64;
}

ParsedDeepView ParseDeepView(std::string_view text) {
    ParsedDeepView parsed;
    const std::vector<std::string_view> fields = SplitView(text, parsed.error);
    if (fields.empty()) {
        return parsed;
    }
    long bits = 0;
    for (const std::string_view field : fields) {
        parsed.error = FieldError(field);
        if (!parsed.error.empty()) {
            return parsed;
        }
        bits = std::max(bits, BigFloat::BitsForDecimal(field));
    }
    if (bits > kMaxDeepBits) {
        parsed.error = TooManyBits();
        return parsed;
    }
    BigFloat edges[4];
    if (!ReadEdges(fields, bits, edges, parsed.error)) {
        return parsed;
    }
    // Decimals that differ stay apart at the bits their digits need.
    if (edges[0] == edges[1]) {
        parsed.error = "LEFT and RIGHT are equal";
        return parsed;
    }
    if (edges[2] == edges[3]) {
        parsed.error = "BOTTOM and TOP are equal";
        return parsed;
    }
    const long shape = ShapeBits(DeepRect{edges[0], edges[1], edges[2], edges[3]});
    if (shape > kMaxDeepBits) {
        parsed.error = TooManyBits();
        return parsed;
    }
    if (shape > bits && !ReadEdges(fields, shape, edges, parsed.error)) {
        return parsed;
    }
    parsed.view = DeepRect{std::move(edges[0]), std::move(edges[1]), std::move(edges[2]),
                           std::move(edges[3])};
    return parsed;
}

std::string FormatDeepNumber(const BigFloat& value) {
    if (value.Precision() == 53 && IsDouble(value)) {
        return Shortest(value.ToDouble());
    }
    if (!value.IsFinite()) {
        return value.ToString();
    }
    if (value.IsZero()) {
        return mpfr_signbit(value.Raw()) ? "-0" : "0";
    }
    // BigFloat's digits, in to_chars' layout: "0.00001" becomes "1e-05".
    const std::string text = value.ToString();
    const bool negative = text[0] == '-';
    const size_t e = text.find('e');
    const std::string mantissa = text.substr(negative ? 1 : 0, e - (negative ? 1 : 0));
    long exponent = e == std::string::npos ? 0 : std::stol(text.substr(e + 1));
    const size_t point = mantissa.find('.');
    exponent += static_cast<long>(point == std::string::npos ? mantissa.size() : point) - 1;
    std::string digits;
    for (const char c : mantissa) {
        if (c != '.') {
            digits += c;
        }
    }
    const size_t first = digits.find_first_not_of('0');
    exponent -= static_cast<long>(first);
    digits.erase(0, first);
    digits.erase(digits.find_last_not_of('0') + 1);
    return LayOut(negative, digits, exponent);
}

std::string FormatDeepView(const DeepRect& view) {
    return FormatDeepNumber(view.left) + "," + FormatDeepNumber(view.right) + "," +
           FormatDeepNumber(view.bottom) + "," + FormatDeepNumber(view.top);
}

DeepRect ToDeepRect(const PlaneRect& view) {
    return DeepRect{BigFloat(view.left, 53), BigFloat(view.right, 53), BigFloat(view.bottom, 53),
                    BigFloat(view.top, 53)};
}

std::optional<PlaneRect> ToPlaneRect(const DeepRect& view) {
    if (!IsDouble(view.left) || !IsDouble(view.right) || !IsDouble(view.bottom) ||
        !IsDouble(view.top)) {
        return std::nullopt;
    }
    return PlaneRect{view.left.ToDouble(), view.right.ToDouble(), view.bottom.ToDouble(),
                     view.top.ToDouble()};
}

}  // namespace galleri
