#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>
#include <string>

#include "view/DeepView.h"
#include "view/ViewText.h"

namespace galleri {
namespace {

const BigFloat& Edge(const DeepRect& view, int k) {
    const BigFloat* edges[] = {&view.left, &view.right, &view.bottom, &view.top};
    return *edges[k];
}

double Edge(const PlaneRect& view, int k) {
    const double edges[] = {view.left, view.right, view.bottom, view.top};
    return edges[k];
}

TEST(DeepView, ReadsWhatParseViewReadsAndRefusesWhatItRefuses) {
    // ParseView is the judge: the same doubles where it reads, its words where it refuses.
    const char* texts[] = {
        "-0.75,-0.74,0.1,0.11",
        "1E-5,2e+22,-3.5e-300,0",
        ".5,5.,-.5,1e5",
        "00012,-0,1.7976931348623157e308,-2.2250738585072014e-308",
        "5e-324,1,0,3e-324",
        "1e0000000000000005,0,0,1",
        "",
        "1,2,3",
        "1,2,3,4,5",
        "1,2,3,4,",
        "1,,3,4",
        "a,2,3,4",
        "1,2x,3,4",
        " 1,2,3,4",
        "1,2,3,4 ",
        "+1,2,3,4",
        "0x1p3,2,3,4",
        "1e,2,3,4",
        "1;2;3;4",
        "inf,2,3,4",
        "1,-Infinity,3,4",
        "1,2,nan,4",
        "1,2,3,-nan(1)",
        "1,1,3,4",
        "0,-0,3,4",
        "1,2,3,3.0",
        "0.1,0.10000000000000000000,5,6",
    };
    for (const char* text : texts) {
        const ParsedView plain = ParseView(text);
        const ParsedDeepView deep = ParseDeepView(text);
        ASSERT_EQ(deep.view.has_value(), plain.view.has_value()) << text << ": " << deep.error;
        EXPECT_EQ(deep.error, plain.error) << text;
        for (int k = 0; plain.view && k < 4; ++k) {
            EXPECT_EQ(Edge(*deep.view, k).ToDouble(), Edge(*plain.view, k)) << text;
        }
    }
}

TEST(DeepView, ReadsNumbersPastADouble) {
    const std::string zeros(1000, '0');
    const std::pair<std::string, std::string> cases[] = {
        // ParseView refuses these as out of a double's range, or as equal edges.
        {"1e999,2,3,4", "1e+999,2,3,4"},
        {"1,-1e400,3,4", "1,-1e+400,3,4"},
        {"2e-324,1,0,1", "2e-324,1,0,1"},
        {"1.25e-1000,1.5E-1000,0,1e-1000", "1.25e-1000,1.5e-1000,0,1e-1000"},
        {"1,1.00000000000000000001,0,1", "1,1.00000000000000000001,0,1"},
        {"-0.743643887037158704752191506114774,-0.743643887037158704752191506114773,"
         "0.131825904205311970493132056385139,0.13182590420531197049313205638514",
         "-0.743643887037158704752191506114774,-0.743643887037158704752191506114773,"
         "0.131825904205311970493132056385139,0.13182590420531197049313205638514"},
        {"0.5,0.5" + zeros + "1,-0.25,0.25", "0.5,0.5" + zeros + "1,-0.25,0.25"},
        // Leading zeros of an exponent, trailing zeros of a number, say nothing.
        {"1e-00000000000000000009,2e-9,0.00001,1.5000", "1e-09,2e-09,1e-05,1.5"},
    };
    for (const auto& [text, formatted] : cases) {
        const ParsedDeepView parsed = ParseDeepView(text);
        ASSERT_TRUE(parsed.view.has_value()) << text << ": " << parsed.error;
        EXPECT_EQ(FormatDeepView(*parsed.view), formatted);
    }
    const std::pair<const char*, const char*> refused[] = {
        {"1e99999999999,2,3,4", "'1e99999999999' has an exponent out of range"},
        {"1,-1e-99999999999,3,4", "'-1e-99999999999' has an exponent out of range"},
        {"1,2,1e999999999,4", "'1e999999999' has an exponent out of range"},
        {"1,2,3,4.5e-400000000", "'4.5e-400000000' has an exponent out of range"},
        {"1,1.0000000000000000000000000,3,4", "LEFT and RIGHT are equal"},
        {"0,1e-1000000,0,1", "the view needs more than 1048576 bits of precision"},
    };
    for (const auto& [text, error] : refused) {
        const ParsedDeepView parsed = ParseDeepView(text);
        EXPECT_FALSE(parsed.view.has_value()) << text;
        EXPECT_EQ(parsed.error, error) << text;
    }
}

TEST(DeepView, DoublesPrintAsFormatViewPrintsThem) {
    std::mt19937_64 random(7);
    const double samples[] = {0.1,
                              1e-05,
                              123456789012345680000.0,
                              5e-324,
                              -2,
                              1.2e21,
                              1e21,
                              1e+06,
                              5.684341886080802e-14,
                              -0.0,
                              1e-7,
                              0.0001,
                              1e16,
                              2.2250738585072014e-308,
                              1.7976931348623157e308};
    for (int k = 0; k < 500; ++k) {
        PlaneRect v{};
        double* edges[] = {&v.left, &v.right, &v.bottom, &v.top};
        for (int e = 0; e < 4; ++e) {
            const size_t s = static_cast<size_t>(4 * k + e);
            double x;
            do {
                x = s < std::size(samples) ? samples[s] : std::bit_cast<double>(random());
            } while (!std::isfinite(x));
            *edges[e] = x;
        }
        if (v.left == v.right || v.bottom == v.top) {
            continue;
        }
        const std::string text = FormatView(v);
        const DeepRect deep = ToDeepRect(v);
        EXPECT_EQ(FormatDeepView(deep), text);
        const std::optional<PlaneRect> back = ToPlaneRect(deep);
        ASSERT_TRUE(back.has_value()) << text;
        for (int e = 0; e < 4; ++e) {
            EXPECT_EQ(std::bit_cast<uint64_t>(Edge(*back, e)), std::bit_cast<uint64_t>(Edge(v, e)));
        }
        // Files written today keep their text through the deep reader.
        const ParsedDeepView parsed = ParseDeepView(text);
        ASSERT_TRUE(parsed.view.has_value()) << text << ": " << parsed.error;
        EXPECT_EQ(FormatDeepView(*parsed.view), text);
    }
}

TEST(DeepView, LongViewsReadBackLosslessly) {
    // Numbers of many bits, not from decimals, print to text that reads back to them.
    std::mt19937_64 random(3);
    for (const long bits : {64L, 200L, 3500L}) {
        for (int k = 0; k < 20; ++k) {
            BigFloat edges[4];
            const BigFloat centre =
                *BigFloat::Parse("-1.76861049301467707450317565327022652023967790758866549", bits);
            for (BigFloat& edge : edges) {
                // A random fraction of every bit, scaled to the view's width 2^-(bits - 40).
                BigFloat offset(0.0, bits);
                for (long b = 0; b < bits; b += 52) {
                    const double chunk = static_cast<double>(random() >> 12);
                    offset = offset + BigFloat(chunk, bits).Times2Pow(-b - 52);
                }
                edge = centre + offset.Times2Pow(-(bits - 40));
            }
            const DeepRect view{edges[0], edges[1], edges[2], edges[3]};
            const std::string text = FormatDeepView(view);
            const ParsedDeepView parsed = ParseDeepView(text);
            ASSERT_TRUE(parsed.view.has_value()) << text << ": " << parsed.error;
            for (int e = 0; e < 4; ++e) {
                EXPECT_TRUE(Edge(*parsed.view, e).WithPrecision(bits) == Edge(view, e)) << text;
            }
            EXPECT_EQ(FormatDeepView(*parsed.view), text);
            EXPECT_FALSE(ToPlaneRect(view).has_value());
        }
    }
}

TEST(DeepView, PrecisionKeepsNarrowViewsApart) {
    const std::string zeros(1000, '0');
    const std::string cases[] = {
        "-0.75,-0.74,0.1,0.11",
        "1e-1000,2e-1000,-1,1",
        "1e300,-1e300,0,1e-1000",
        "-1.5,-1.5" + zeros + "1,0,1",
        "0.25" + zeros + "1,0.25,2,2.0" + zeros + "3",
        "123456789,123456789.000000000000000000000001,-1e-20,1e-20",
    };
    for (const std::string& text : cases) {
        const ParsedDeepView parsed = ParseDeepView(text);
        ASSERT_TRUE(parsed.view.has_value()) << text << ": " << parsed.error;
        const DeepRect& view = *parsed.view;
        const long bits = view.left.Precision();
        EXPECT_GE(bits, ShapeBits(view)) << text;
        for (int e = 0; e < 4; ++e) {
            EXPECT_EQ(Edge(view, e).Precision(), bits) << text;
        }
        // A 65536th of each side, and the middle, lie strictly between the edges.
        const BigFloat steps(65536.0, 64), two(2.0, 64);
        for (const auto& [a, b] : {std::pair(&view.left, &view.right), {&view.bottom, &view.top}}) {
            const BigFloat step = (*b - *a) / steps;
            const BigFloat middle = (*a + *b) / two;
            const int sign = (*b - *a).Sign();
            EXPECT_EQ((*a + step - *a).Sign(), sign) << text;
            EXPECT_EQ((*b - (*b - step)).Sign(), sign) << text;
            EXPECT_EQ((middle - *a).Sign(), sign) << text;
            EXPECT_EQ((*b - middle).Sign(), sign) << text;
        }
    }
}

}  // namespace
}  // namespace galleri
