#include <gtest/gtest.h>
#include <mpfr.h>

#include <algorithm>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "deep/BigFloat.h"
#include "deep/DeepEngine.h"
#include "deep/DirectIteration.h"
#include "escape/EscapeScan.h"

namespace galleri {
namespace {

EscapeParams Params(IterationKind kind, uint32_t step, double cx = 0, double cy = 0) {
    EscapeParams p;
    p.kind = kind;
    p.countStep = step;
    p.cx = cx;
    p.cy = cy;
    p.limit = 0xFFFFFF;
    return p;
}

// A deep view: a picture of width x height about a point given in decimal,
// `half` the half-width.
using Centre = std::function<std::pair<BigFloat, BigFloat>(long bits)>;

struct DeepCase {
    const char* name;
    EscapeParams params;
    int64_t budget;
    Centre centre;
    const char* half;
    int divisorExtra;
    double agreement;  // least share of pixels with the direct iteration's colour
};

Centre At(const char* re, const char* im) {
    return [re, im](long bits) {
        return std::pair{*BigFloat::Parse(re, bits), *BigFloat::Parse(im, bits)};
    };
}

// (1 + s sqrt(1 - 4c)) / 2 or, with `dragon`, 1 + s sqrt(1 - 4c): the fixed
// point beta of z^2 + c, or the dragon parameter lambda whose map is
// conjugate to z^2 + c.
Centre Root(double cr, double ci, bool dragon) {
    return [cr, ci, dragon](long bits) {
        BigFloat wr = BigFloat(1.0, bits) - BigFloat(4 * cr, bits);
        BigFloat wi = -BigFloat(4 * ci, bits);
        BigFloat modulus(bits), sr(bits), si(bits);
        mpfr_hypot(modulus.Raw(), wr.Raw(), wi.Raw(), MPFR_RNDN);
        BigFloat a = (modulus + wr).Times2Pow(-1), b = (modulus - wr).Times2Pow(-1);
        mpfr_sqrt(sr.Raw(), a.Raw(), MPFR_RNDN);
        mpfr_sqrt(si.Raw(), b.Raw(), MPFR_RNDN);
        if (ci > 0) {
            si = -si;  // the root's imaginary part has the sign of w's
        }
        BigFloat re = BigFloat(1.0, bits) + sr, im = si;
        return dragon ? std::pair{re, im} : std::pair{re.Times2Pow(-1), im.Times2Pow(-1)};
    };
}

DeepPicture Picture(const DeepCase& c, int width, int height) {
    // Enough bits for the centre's decimals and a pixel's place beside it.
    const BigFloat roughHalf = *BigFloat::Parse(c.half, 64);
    const long bits = 64 + 4 * static_cast<long>(std::string(c.half).size()) + 64 -
                      (roughHalf.IsZero() ? 0 : std::min(0L, roughHalf.Exponent()));
    const auto [re, im] = c.centre(bits);
    const BigFloat half = *BigFloat::Parse(c.half, bits);
    const BigFloat halfHeight =
        half * BigFloat(static_cast<double>(height), bits) / BigFloat(width, bits);
    DeepPicture p;
    p.params = c.params;
    p.budget = c.budget;
    p.left = re - half;
    p.right = re + half;
    p.bottom = im - halfHeight;
    p.top = im + halfHeight;
    p.width = width;
    p.height = height;
    p.divisorExtra = c.divisorExtra;
    return p;
}

// Colours of the deep engine against the direct iteration of every pixel at
// the engine's precision; also that the view has structure: not one colour
// and count for nearly all pixels (the Julia rules give every escaping pixel
// one colour, so the counts tell their structure).
void ExpectAgreement(const DeepCase& c, int width, int height) {
    const DeepPicture picture = Picture(c, width, height);
    DeepEngine engine(2);
    ASSERT_TRUE(engine.Prepare(picture));
    ScanGrid grid;
    grid.columns = width + 1;
    grid.rows = height + 1;
    std::vector<uint32_t> colours(static_cast<size_t>(grid.columns) * grid.rows);
    engine.ComputeColumns(c.params, grid, 0, grid.columns, colours.data());

    const long bits = engine.Precision();
    const BigFloat dw(width + c.divisorExtra, bits), dh(height + c.divisorExtra, bits);
    const BigFloat stepRe = (picture.right - picture.left).WithPrecision(bits) / dw;
    const BigFloat stepIm = (picture.top - picture.bottom).WithPrecision(bits) / dh;
    int same = 0, total = 0;
    std::map<std::pair<uint32_t, int64_t>, int> seen;
    for (int i = 0; i < width; ++i) {
        for (int j = 0; j < height; ++j) {
            const BigFloat re = picture.left + stepRe * BigFloat(i, bits);
            const BigFloat im = picture.top - stepIm * BigFloat(j, bits);
            const DeepPixel direct = IterateDirect(c.params, c.budget, re, im);
            const uint32_t expected = DeepColour(c.params, c.budget, direct);
            const uint32_t actual = colours[static_cast<size_t>(i) * grid.rows + j];
            same += expected == actual ? 1 : 0;
            ++total;
            ++seen[{expected, direct.n}];
        }
    }
    int most = 0;
    for (const auto& [colour, n] : seen) {
        most = std::max(most, n);
    }
    EXPECT_GE(static_cast<double>(same) / total, c.agreement)
        << c.name << ": " << same << " of " << total << " pixels agree; references "
        << engine.GetStats().references << ", unresolved " << engine.GetStats().unresolved;
    EXPECT_LT(most, total * 95 / 100) << c.name << ": the picture has no structure";
}

constexpr double kMandel = 0.995;
constexpr double kOthers = 0.99;
using IK = IterationKind;

TEST(DeepEngine, AgreesWithDirectIteration) {
    // Misiurewicz points and repelling fixed points lie on the boundary and
    // show structure at every depth.
    const std::vector<DeepCase> cases = {
        {"mandelbrot at i, 1e-20", Params(IK::Mandelbrot, 20593), 4000, At("0", "1"), "1e-20", 0,
         kMandel},
        {"mandelbrot at i, 1e-50", Params(IK::Mandelbrot, 20593), 4000, At("0", "1"), "1e-50", 0,
         kMandel},
        {"mandelbrot at i, 1e-100", Params(IK::Mandelbrot, 4384), 4000, At("0", "1"), "1e-100", 0,
         kMandel},
        {"mandelbrot at i, 1e-280", Params(IK::Mandelbrot, 20593), 6000, At("0", "1"), "1e-280", 0,
         kMandel},
        // Below a double's exponent range: the differences in wide exponent.
        {"mandelbrot at i, 1e-300", Params(IK::Mandelbrot, 20593), 4000, At("0", "1"), "1e-300", 0,
         kMandel},
        {"mandelbrot at i, 1e-1000", Params(IK::Mandelbrot, 4384), 3000, At("0", "1"), "1e-1000", 0,
         kMandel},
        {"julia j_9 at beta, 1e-400", Params(IK::Julia, 1, -1.258842, 0.06533), 1000,
         Root(-1.258842, 0.06533, false), "1e-400", 0, kOthers},
        {"julia j_1 at beta, 1e-30", Params(IK::Julia, 1, 0.238498, 0.519198), 1000,
         Root(0.238498, 0.519198, false), "1e-30", 0, kOthers},
        {"julia j_9 at beta, 1e-80", Params(IK::Julia, 1, -1.258842, 0.06533), 1000,
         Root(-1.258842, 0.06533, false), "1e-80", 0, kOthers},
        {"julia dragon jd_10 at 0, 1e-30", Params(IK::JuliaDragon, 4210, 1.646009, 0.967049), 3986,
         At("0", "0"), "1e-30", 0, kOthers},
        {"julia dragon jd_10 at 0, 1e-100", Params(IK::JuliaDragon, 4210, 1.646009, 0.967049), 3986,
         At("0", "0"), "1e-100", 0, kOthers},
        {"mandeldragon at lambda(i), 1e-40", Params(IK::MandelDragon, 61489), 2000,
         Root(0, 1, true), "1e-40", 1, kOthers},
    };
    for (const DeepCase& c : cases) {
        ExpectAgreement(c, 12, 9);
    }
}

// Only z^2 + c and its Julia sets go below a double's exponent range; a
// view without width is never drawn.
TEST(DeepEngine, RefusesOnlyWhatItCannotDraw) {
    struct Refusal {
        DeepCase c;
        bool refused;
    };
    const std::vector<Refusal> cases = {
        {{"mandelbrot, 1e-5000", Params(IK::Mandelbrot, 1), 10, At("0", "1"), "1e-5000", 0, 0},
         false},
        {{"julia dragon, 1e-280", Params(IK::JuliaDragon, 1, 1.6, 0.9), 10, At("0", "0"), "1e-280",
          0, 0},
         false},
        {{"julia dragon, 1e-300", Params(IK::JuliaDragon, 1, 1.6, 0.9), 10, At("0", "0"), "1e-300",
          0, 0},
         true},
        {{"mandeldragon, 1e-300", Params(IK::MandelDragon, 1), 10, Root(0, 1, true), "1e-300", 1,
          0},
         true},
        {{"mandelbrot, no width", Params(IK::Mandelbrot, 1), 10, At("0", "1"), "0", 0, 0}, true},
    };
    for (const Refusal& r : cases) {
        DeepEngine engine(1);
        const DeepPicture picture = Picture(r.c, 4, 3);
        if (r.refused) {
            EXPECT_THROW(engine.Prepare(picture), std::range_error) << r.c.name;
        } else {
            EXPECT_NO_THROW(engine.Prepare(picture)) << r.c.name;
        }
    }
}

// A deep picture is the same for every number of threads and however the
// scan asks for its columns.
TEST(DeepEngine, SameForEveryThreadCountAndBlock) {
    const DeepCase c{
        "mandelbrot at i", Params(IK::Mandelbrot, 20593), 3000, At("0", "1"), "1e-60", 0, 1.0};
    const DeepPicture picture = Picture(c, 40, 30);
    ScanGrid grid;
    grid.columns = 41;
    grid.rows = 31;
    std::vector<uint32_t> expected;
    for (int threads : {1, 2, 3}) {
        for (int block : {41, 7, 1}) {
            DeepEngine engine(threads);
            ASSERT_TRUE(engine.Prepare(picture));
            std::vector<uint32_t> colours(static_cast<size_t>(grid.columns) * grid.rows);
            for (int first = 0; first < grid.columns; first += block) {
                engine.ComputeColumns(c.params, grid, first, std::min(block, grid.columns - first),
                                      colours.data() + static_cast<size_t>(first) * grid.rows);
            }
            if (expected.empty()) {
                expected = colours;
            }
            EXPECT_EQ(colours, expected) << threads << " threads, blocks of " << block;
        }
    }
}

}  // namespace
}  // namespace galleri
