#include <gtest/gtest.h>

#include <random>
#include <string>

#include "view/LocationFile.h"

namespace galleri {
namespace {

struct Good {
    std::string text;
    const char* re;
    const char* im;
    const char* zoom;
    std::optional<int64_t> iterations;
    bool up;
};

TEST(LocationFile, ReadsTheKeysThatMatter) {
    const std::string longRe =
        "-1.768610493014677074503175653270226520239677907588665494837677257575304640978808475274"
        "6357073624640442530143702899485385525088774647364158730529584228619327746701659942016";
    const Good good[] = {
        {"Re: -0.75\nIm: 0.1\nZoom: 2\nIterations: 500\n", "-0.75", "0.1", "2", 500, false},
        // KF's own lines: CRLF, keys it needs and this program does not.
        {"Re: " + longRe +
             "\r\nIm: 0.001266613503868717702066411192242601576193940560471409\r\n"
             "Zoom: 2.1E1000\r\nIterations: 600100\r\nIterDiv: 1.000000\r\nRatio: 381.176471\r\n"
             "Colors: 0,0,0,41,35,190,\r\nMultiColors: \r\nPower: 2\r\nFractalType: 0\r\n"
             "SeedR: 0\r\nSeedI: 0\r\nFactorAR: 1\r\n",
         longRe.c_str(), "0.001266613503868717702066411192242601576193940560471409", "2.1e1000",
         600100, false},
        // Blank lines, spaces, a byte-order mark, no Iterations, keys in any order.
        {"\xEF\xBB\xBF\n\nZoom:   1.5E300  \r\n\r\n  Im:0\nRe: 1e-5\n\n", "0.00001", "0", "1.5e300",
         std::nullopt, false},
        {"Re: 0\nIm: -1\nZoom: 0.5\nUseHybridFormula: 0\nImagPointsUp: 1\nVersion: 2.15.5\n", "0",
         "-1", "0.5", std::nullopt, true},
        {"Re: 0\nIm: 0\nZoom: 1\nIterations: 2147483647\nImagPointsUp: 0", "0", "0", "1",
         2147483647, false},
    };
    for (const Good& g : good) {
        const ParsedLocation parsed = ParseLocation(g.text);
        ASSERT_TRUE(parsed.location.has_value()) << g.text << ": " << parsed.error;
        const Location& l = *parsed.location;
        EXPECT_EQ(l.re.ToString(), g.re);
        EXPECT_EQ(l.im.ToString(), g.im);
        EXPECT_EQ(l.zoom.ToString(), g.zoom);
        EXPECT_EQ(l.iterations, g.iterations);
        EXPECT_EQ(l.imagPointsUp, g.up);
        EXPECT_TRUE(parsed.error.empty());
    }
}

TEST(LocationFile, BadFilesAreRefusedWithTheLineAndTheReason) {
    const std::string where = "Re: -0.75\nIm: 0.1\nZoom: 2\n";
    const std::pair<std::string, std::string> bad[] = {
        {"", "no 'Re' line"},
        {"Re: 0\r\nIm: 0\r\n", "no 'Zoom' line"},
        {"re: 0\nIm: 0\nZoom: 1\n", "no 'Re' line"},
        {"Re: -0.75\nIm: 0.1\nZoom: x\n", "line 3: 'Zoom' is not a number"},
        {"Re: 1..2\n", "line 1: 'Re' is not a number"},
        {"Re: 0\r\nIm:\r\n", "line 2: 'Im' is not a number"},
        {"Re: 0\r\nIm: 0\r\n\r\nZoom: 0\r\n", "line 4: 'Zoom' is not positive"},
        {"Zoom: -1.5E300\n", "line 1: 'Zoom' is not positive"},
        {"Zoom: 1E99999999999\n", "line 1: 'Zoom' is out of range"},
        {where + "Zoom: 3\n", "line 4: a second 'Zoom' line"},
        {where + "Iterations: 0\n",
         "line 4: 'Iterations' is not a whole number from 1 to 2147483647"},
        {where + "Iterations: 2147483648\n",
         "line 4: 'Iterations' is not a whole number from 1 to 2147483647"},
        {where + "Iterations: 1e6\n",
         "line 4: 'Iterations' is not a whole number from 1 to 2147483647"},
        {where + "FractalType: 5\n",
         "the formula is not the Mandelbrot set z^2 + c (FractalType 5)"},
        {where + "FractalType: 0\r\nPower: 3\r\n",
         "the formula is not the Mandelbrot set z^2 + c (Power 3)"},
        {"UseHybridFormula: 1\n" + where,
         "the formula is not the Mandelbrot set z^2 + c (UseHybridFormula 1)"},
        {where + "SeedR: 0\nSeedI: 0.5\n",
         "the formula is not the Mandelbrot set z^2 + c (SeedI 0.5)"},
        {where + "FractalType: Mandelbrot\n", "line 4: 'FractalType' is not a whole number"},
        {where + "ImagPointsUp: yes\n", "line 4: 'ImagPointsUp' is not 0 or 1"},
        {"Re: 0\nsome text\n", "line 2: expected 'Key: value'"},
        {"Re: 0\nIm: 0\nZoom: 1e400000\n", "line 3: 'Zoom' is deeper than this program can draw"},
    };
    for (const auto& [text, error] : bad) {
        const ParsedLocation parsed = ParseLocation(text);
        EXPECT_FALSE(parsed.location.has_value()) << text;
        EXPECT_EQ(parsed.error, error) << text;
    }
}

TEST(LocationFile, TheViewHasHalfTheHeightTwoOverZoom) {
    struct Case {
        const char* file;
        int width, height;
        double left, right, bottom, top;
    };
    // KF's imaginary axis points down unless ImagPointsUp: the view is mirrored.
    const Case cases[] = {
        {"Re: -0.75\nIm: 0.125\nZoom: 2\n", 800, 400, -2.75, 1.25, 1.125, -0.875},
        {"Re: -0.75\nIm: 0.125\nZoom: 2\nImagPointsUp: 1\n", 800, 400, -2.75, 1.25, -0.875, 1.125},
        {"Re: 0.5\nIm: 0\nZoom: 8\nImagPointsUp: 1\n", 300, 600, 0.375, 0.625, -0.25, 0.25},
    };
    for (const Case& c : cases) {
        const ParsedLocation parsed = ParseLocation(c.file);
        ASSERT_TRUE(parsed.location.has_value()) << c.file << ": " << parsed.error;
        const DeepRect view = LocationView(*parsed.location, c.width, c.height);
        const long bits = view.left.Precision();
        EXPECT_TRUE(view.left == BigFloat(c.left, bits)) << view.left.ToString();
        EXPECT_TRUE(view.right == BigFloat(c.right, bits)) << view.right.ToString();
        EXPECT_TRUE(view.bottom == BigFloat(c.bottom, bits)) << view.bottom.ToString();
        EXPECT_TRUE(view.top == BigFloat(c.top, bits)) << view.top.ToString();
    }
    // A deep one: the centre in the middle, the height 4/zoom, the width in proportion.
    const std::string re = "-1.7686104930146770745031756532702265202396779075886654948376772575" +
                           std::string(1000, '3');
    const ParsedLocation deep = ParseLocation("Re: " + re + "\nIm: 0.00126661\nZoom: 2.1E1000\n");
    ASSERT_TRUE(deep.location.has_value()) << deep.error;
    const Location& l = *deep.location;
    for (const auto& [width, height] : {std::pair(1920, 1080), {1, 1}, {333, 4097}}) {
        const DeepRect view = LocationView(l, width, height);
        const long bits = view.left.Precision();
        EXPECT_GE(bits, ShapeBits(view));
        EXPECT_GE(bits, l.re.Precision());
        EXPECT_GE(bits, l.zoom.Exponent() + 64);
        for (const BigFloat* edge : {&view.right, &view.bottom, &view.top}) {
            EXPECT_EQ(edge->Precision(), bits);
        }
        const BigFloat two(2.0, 64);
        const BigFloat halfWidth = (view.right - view.left) / two;
        EXPECT_TRUE((view.left + view.right) / two == l.re.WithPrecision(bits) ||
                    ((view.left + view.right) / two - l.re).Abs() < halfWidth.Times2Pow(-100));
        EXPECT_NEAR(((view.bottom - view.top) * l.zoom).ToDouble(), 4.0, 1e-15);
        EXPECT_NEAR(((view.right - view.left) / (view.bottom - view.top)).ToDouble(),
                    static_cast<double>(width) / height, 1e-15);
    }
}

TEST(LocationFile, SavedLocationsReadBack) {
    Location simple{*BigFloat::Parse("-0.75", 64), *BigFloat::Parse("0.125", 64),
                    *BigFloat::Parse("2", 64), 500, true};
    EXPECT_EQ(FormatLocation(simple),
              "Re: -0.75\r\nIm: 0.125\r\nZoom: 2\r\nIterations: 500\r\nImagPointsUp: 1\r\n");
    std::mt19937_64 random(5);
    for (const long bits : {64L, 300L, 4000L}) {
        for (int k = 0; k < 10; ++k) {
            BigFloat numbers[3];
            for (BigFloat& number : numbers) {
                number = BigFloat(0.0, bits);
                for (long b = 0; b < bits; b += 52) {
                    const double chunk = static_cast<double>(random() >> 12);
                    number = number + BigFloat(chunk, bits).Times2Pow(-b - 52);
                }
            }
            Location location{numbers[0] - BigFloat(1.0, bits), numbers[1].Times2Pow(-3),
                              numbers[2].Times2Pow(bits - 60), std::nullopt, k % 2 == 0};
            if (k % 3 == 0) {
                location.iterations = 1 + static_cast<int64_t>(random() % 2147483647);
            }
            const std::string text = FormatLocation(location);
            const ParsedLocation parsed = ParseLocation(text);
            ASSERT_TRUE(parsed.location.has_value()) << text << ": " << parsed.error;
            const Location& back = *parsed.location;
            EXPECT_TRUE(back.re.WithPrecision(bits) == location.re) << text;
            EXPECT_TRUE(back.im.WithPrecision(bits) == location.im) << text;
            EXPECT_TRUE(back.zoom.WithPrecision(bits) == location.zoom) << text;
            EXPECT_EQ(back.iterations, location.iterations);
            EXPECT_EQ(back.imagPointsUp, location.imagPointsUp);
            EXPECT_EQ(FormatLocation(back), text);
        }
    }
}

}  // namespace
}  // namespace galleri
