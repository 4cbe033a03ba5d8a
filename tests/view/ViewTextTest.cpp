#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>
#include <string>

#include "view/ViewText.h"

namespace galleri {
namespace {

TEST(ViewText, PrintedViewsReadBackToTheSameDoubles) {
    std::mt19937_64 random(11);
    const double samples[] = {
        -0.75, 1e-300,        -2.5e-17, 4.9406564584124654e-324, 1.7976931348623157e308, 0.1,
        -0.0,  123456789.125, -1.5e22};
    for (int k = 0; k < 2000; ++k) {
        PlaneRect v{};
        double* edges[] = {&v.left, &v.right, &v.bottom, &v.top};
        for (int e = 0; e < 4; ++e) {
            double x;
            do {
                x = k < 9 && e == 0 ? samples[k] : std::bit_cast<double>(random());
            } while (!std::isfinite(x));
            *edges[e] = x;
        }
        if (v.left == v.right || v.bottom == v.top) {
            continue;
        }
        const std::string text = FormatView(v);
        const ParsedView parsed = ParseView(text);
        ASSERT_TRUE(parsed.view.has_value()) << text << ": " << parsed.error;
        EXPECT_EQ(std::bit_cast<uint64_t>(parsed.view->left), std::bit_cast<uint64_t>(v.left));
        EXPECT_EQ(std::bit_cast<uint64_t>(parsed.view->right), std::bit_cast<uint64_t>(v.right));
        EXPECT_EQ(std::bit_cast<uint64_t>(parsed.view->bottom), std::bit_cast<uint64_t>(v.bottom));
        EXPECT_EQ(std::bit_cast<uint64_t>(parsed.view->top), std::bit_cast<uint64_t>(v.top));
    }
    EXPECT_EQ(FormatView({-0.75, -0.74, 0.1, 0.11}), "-0.75,-0.74,0.1,0.11");
    EXPECT_EQ(FormatView({-2, 1.2, -1.2, 1.2}), "-2,1.2,-1.2,1.2");
    EXPECT_EQ(FormatView({1e-5, 2e22, -3.5e-300, 0}), "1e-05,2e+22,-3.5e-300,0");
    const ParsedView exponents = ParseView("1E-5,2e+22,-3.5e-300,0");
    ASSERT_TRUE(exponents.view.has_value());
    EXPECT_EQ(exponents.view->right, 2e22);
}

TEST(ViewText, BadViewsAreRefusedWithAReason) {
    const std::pair<const char*, const char*> bad[] = {
        {"", "found 1 field"},
        {"1,2,3", "found 3 fields"},
        {"1,2,3,4,5", "found 5 fields"},
        {"1,2,3,4,", "found 5 fields"},
        {"1,,3,4", "a number is missing"},
        {"a,2,3,4", "'a' is not a number"},
        {"1,2x,3,4", "'2x' is not a number"},
        {" 1,2,3,4", "' 1' is not a number"},
        {"1,2,3,4 ", "'4 ' is not a number"},
        {"+1,2,3,4", "'+1' is not a number"},
        {"0x1p3,2,3,4", "'0x1p3' is not a number"},
        {"1;2;3;4", "found 1 field"},
        {"1e999,2,3,4", "'1e999' is out of the range of a double"},
        {"1,-1e400,3,4", "out of the range"},
        {"inf,2,3,4", "'inf' is not a finite number"},
        {"1,2,nan,4", "'nan' is not a finite number"},
        {"1,1,3,4", "LEFT and RIGHT are equal"},
        {"0,-0,3,4", "LEFT and RIGHT are equal"},
        {"1,2,3,3.0", "BOTTOM and TOP are equal"},
    };
    for (const auto& [text, reason] : bad) {
        const ParsedView parsed = ParseView(text);
        EXPECT_FALSE(parsed.view.has_value()) << text;
        EXPECT_NE(parsed.error.find(reason), std::string::npos)
            << "'" << text << "' gave: " << parsed.error;
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << text;
    }
}

TEST(ViewText, RenderArgumentsNameTheViewOnlyWhenItIsNotTheOwnRectangle) {
    const PlaneRect own{-2, 1.2, -1.2, 1.2};
    EXPECT_EQ(RenderArguments("m11", 483, 609, own, own), "--size 483x609 m11");
    EXPECT_EQ(RenderArguments("m11", 483, 609, {-0.75, -0.74, 0.1, 0.11}, own),
              "--size 483x609 --view -0.75,-0.74,0.1,0.11 m11");
    EXPECT_EQ(RenderArguments("j8J81", 20, 10, {-2, 1.2, -1.2, 1.25}, own),
              "--size 20x10 --view -2,1.2,-1.2,1.25 j8J81");
}

TEST(ViewText, ZoomFactorsForDisplay) {
    const std::pair<double, const char*> rows[] = {
        {1, "x 1"},
        {std::sqrt(2.0), "x 1.41"},
        {350, "x 350"},
        {0.5, "x 0.5"},
        {1.5e6, "x 1.5e6"},
        {1e6, "x 1e6"},
        {2.34e13, "x 2.3e13"},
        {0.001, "x 1e-3"},
        {2215.4, "x 2215"},
    };
    for (const auto& [factor, text] : rows) {
        EXPECT_EQ(FormatZoom(factor), text);
    }
}

}  // namespace
}  // namespace galleri
