#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "surface/QuoteForMessage.h"

namespace galleri {
namespace {

TEST(QuoteForMessage, EscapesWhatCouldBreakTheLineOrHideBytes) {
    struct Case {
        std::string text;
        size_t maxBytes;
        std::string quoted;
    };
    const size_t all = std::string_view::npos;
    const std::vector<Case> cases = {
        {"m11.png", all, "'m11.png'"},
        {"", all, "''"},
        {"tr\xC3\xA4"
         "d/bild.png",
         all,
         "'tr\xC3\xA4"
         "d/bild.png'"},                             // UTF-8 stays
        {"latin\xE4.png", all, "'latin\\xE4.png'"},  // Latin-1 byte
        {"no\nsuch\tdir\r.png", all, "'no\\nsuch\\tdir\\r.png'"},
        {"a\\n", all, "'a\\\\n'"},  // a real backslash is doubled
        {"\x1b[2J\x7f", all, "'\\x1B[2J\\x7F'"},
        {"\xC2\x9B"
         "1m",
         all, "'\\xC2\\x9B1m'"},                                       // C1 control in UTF-8
        {"\xE2\x80\xA8", all, "'\\xE2\\x80\\xA8'"},                    // line separator
        {"\xC0\xAF\xED\xA0\x80", all, "'\\xC0\\xAF\\xED\\xA0\\x80'"},  // overlong, surrogate
        {"\xF0\x9F\x8E\xA8!", all, "'\xF0\x9F\x8E\xA8!'"},
        {"\xE2\x82", all, "'\\xE2\\x82'"},  // cut sequence
        {"abcdef", 3, "'abc...'"},
        {"ab\xC3\xA4", 3, "'ab...'"},  // never half a character
        {"abc", 3, "'abc'"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(QuoteForMessage(c.text, c.maxBytes), c.quoted) << c.quoted;
    }
}

}  // namespace
}  // namespace galleri
