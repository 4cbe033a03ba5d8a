#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace galleri {

namespace quote_detail {

// Length of the well-formed UTF-8 sequence at the start of s (2 to 4), or 0.
// The code point goes to cp.
inline size_t Utf8Sequence(std::string_view s, uint32_t& cp) {
    const auto b = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    size_t n = 0;
    if (b(0) >= 0xC2 && b(0) <= 0xDF) {
        n = 2;
        cp = b(0) & 0x1Fu;
    } else if (b(0) >= 0xE0 && b(0) <= 0xEF) {
        n = 3;
        cp = b(0) & 0x0Fu;
    } else if (b(0) >= 0xF0 && b(0) <= 0xF4) {
        n = 4;
        cp = b(0) & 0x07u;
    } else {
        return 0;
    }
    if (s.size() < n) {
        return 0;
    }
    for (size_t i = 1; i < n; ++i) {
        if ((b(i) & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (b(i) & 0x3Fu);
    }
    const bool overlong = (n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000);
    const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
    return overlong || surrogate || cp > 0x10FFFF ? 0 : n;
}

inline void AppendHex(std::string& out, unsigned char c) {
    constexpr const char* kDigits = "0123456789ABCDEF";
    out += "\\x";
    out += kDigits[c >> 4];
    out += kDigits[c & 0xF];
}

}  // namespace quote_detail

// A path or argument as a message shows it: between single quotes, with
// control characters and bytes that are not UTF-8 escaped (\n, \t, \xE4) and
// backslashes doubled, so that every message stays one line and still says
// exactly which bytes were given. Texts longer than maxBytes are cut ("...").
inline std::string QuoteForMessage(std::string_view text,
                                   size_t maxBytes = std::string_view::npos) {
    std::string out = "'";
    size_t i = 0;
    while (i < text.size() && i < maxBytes) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            uint32_t cp = 0;
            const size_t n = quote_detail::Utf8Sequence(text.substr(i), cp);
            // C1 controls and the Unicode line separators would break a line
            // or drive a terminal like their ASCII kin.
            const bool control = (cp >= 0x80 && cp <= 0x9F) || cp == 0x2028 || cp == 0x2029;
            if (n != 0 && !control) {
                if (i + n > maxBytes) {
                    break;
                }
                out.append(text.substr(i, n));
                i += n;
            } else {
                quote_detail::AppendHex(out, c);
                ++i;
            }
            continue;
        }
        switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    quote_detail::AppendHex(out, c);
                } else {
                    out += static_cast<char>(c);
                }
        }
        ++i;
    }
    if (i < text.size()) {
        out += "...";
    }
    return out + "'";
}

}  // namespace galleri
