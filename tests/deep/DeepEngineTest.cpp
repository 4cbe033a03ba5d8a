#include <gtest/gtest.h>
#include <mpfr.h>

#include <algorithm>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "colour/BuiltinPalettes.h"
#include "deep/BigFloat.h"
#include "deep/DeepEngine.h"
#include "deep/DirectIteration.h"
#include "escape/EscapeScan.h"
#include "escape/SmoothColouring.h"

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
    int width = 12, height = 9;
};

// The centres of minibrots of periods 24332 and 24440
// (bench/deep/locations' minibrot-4e311.kfr and deep-1e1000.kfr), whose
// orbits pass within about 1e-150 and 1e-500 of 0.
constexpr const char* kMinibrotRe =
    "-1.25071276275216826795414342744547741519578302590968238402695085602187428864312"
    "97912750902553465831362607592424016755075297019193971222955046162028135689609750"
    "17063154924774413027417653575459484411003583748726757301850990564363233411370344"
    "26248567485939502599844732914685061178355293510637559872025301589732317439621389"
    "204755189790613376";
constexpr const char* kMinibrotIm =
    "0.020152850889631636238978407294399666376585467593508872398498087335293736615596"
    "55322996409528459570316794269473029968183525759477893583625518720266776232087834"
    "76162404466622958890929403075171472492396379177958784783405811708263165738758609"
    "68818076754947478018676746550712256085549874497201670084233427604940902442354678"
    "663099411112370309";
constexpr const char* kDeepMinibrotRe =
    "-0.7754615600636168419010357821517444027357578018825296914502754872407740024109912163989"
    "0067062522271077043307182934007830956249886747248686627002340204872238642822295669537585"
    "8414298778338610881038046305844356091461412043110215924388567191184300214637491806427544"
    "4992275891406279099270778998611233769745558028148622437073063850146143387499958710852963"
    "0614402605075494866756142118431212160708766713154026790625324947101503639934659680417717"
    "7831691306031462003035308661974509191414476983523571904413040255647038325471920177875446"
    "5535833145540791235569022900567564811492367456107191169456650020161299223041595108639040"
    "4339621546790628644452588966285886697495938041553070450934474420268630130195169694609226"
    "8004642986076327687431983122988416837282231135619056132227663155135585545304005361361741"
    "4076965056367313770096636578343663479331618381382677916349835701525636948997697406747776"
    "4369836380813105288442288096423323373671833643938430084556506603736694234018529583320323"
    "94681217534305835012308060298384165135435923296279640909533";
constexpr const char* kDeepMinibrotIm =
    "0.13705916664672775717435687173825751673193188990563269997234442996292138097226421858897"
    "2385534817878237293743392913848171084090103567092855252869680147486910005746919961177767"
    "3302319065428623849053937520902414523172889805952227297137228408303808067928301909159064"
    "7539464155004273964655860648761769679647659920124390853019598215338721891648824676234453"
    "5744560805307483456145408247777826205862389300775787962303198520631131049180571805261740"
    "6445359642249792154238435662693235337610200268297700466435101295145892906172088875449520"
    "1229894696778175195588957625653417557046054299468790253229215041831632566495419492227423"
    "0080383453430025684858610860470551839384408883173187835481519240334009950134516167563819"
    "1441729406774327298748083170637731410985043068019127573551651149661994663704240539716041"
    "3586584494554600712068902185781197486292969324729655899897995557775369035171244359632361"
    "9291024234291476897042361473614031553907037629698049914993704570861685437009948572930726"
    "3935504890997314508085353459051758209870657112319946210567";

constexpr const char* kPhoenixHair =
    "-1.91002259535594397304177731689492878266744124975783781547509949241992197179590706328335"
    "00479530796175700207478499";

EscapeParams Smooth(EscapeParams params) {
    static const SmoothColouring smooth(FindBuiltinPalette("rainbow")->stops, 0.5, 0);
    params.smooth = &smooth;
    return params;
}

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
        // By a nucleus every pixel's d^2 counts once a period; below 1e-308
        // the step is in wide exponent.
        {"mandelbrot by a minibrot's nucleus, 3e-311", Params(IK::Mandelbrot, 1), 60000,
         At(kMinibrotRe, kMinibrotIm), "3e-311", 0, kMandel, 4, 3},
        {"mandelbrot by a minibrot's nucleus, 8e-1001", Params(IK::Mandelbrot, 1), 80000,
         At(kDeepMinibrotRe, kDeepMinibrotIm), "8e-1001", 0, kMandel, 3, 2},
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
        // The smooth colouring's values, nu to a 4096th of a pass of 0.5.
        {"mandelbrot at i, 1e-300, smooth", Smooth(Params(IK::Mandelbrot, 1)), 4000, At("0", "1"),
         "1e-300", 0, kMandel},
        {"mandeldragon at lambda(i), 1e-40, smooth", Smooth(Params(IK::MandelDragon, 1)), 2000,
         Root(0, 1, true), "1e-40", 1, kOthers},
        {"binary decomposition at beta, 1e-100",
         Params(IK::BinaryDecomposition, 1, 0.318623, 0.0429799), 1000,
         Root(0.318623, 0.0429799, false), "1e-100", 0, kOthers},
        // Where the phoenix plane's escape time grows without bound (its
        // orbit stays on a chaotic saddle's stable set): found by refining
        // the highest count along q = 0.75, about 3 more a decade.
        {"mandelphoenix on a hair at q = 0.75, 1e-20", Params(IK::MandelPhoenix, 53267), 1000,
         At(kPhoenixHair, "0.75"), "1e-20", 0, kOthers},
        {"mandelphoenix on a hair at q = 0.75, 1e-100", Params(IK::MandelPhoenix, 53267), 1000,
         At(kPhoenixHair, "0.75"), "1e-100", 0, kOthers},
    };
    for (const DeepCase& c : cases) {
        ExpectAgreement(c, c.width, c.height);
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
    // Panned by a few pixels, the view keeps its first reference: an engine
    // that drew the first view uses that orbit again, with the colours of a
    // fresh engine.
    DeepPicture panned = picture;
    const BigFloat shift = (picture.right - picture.left) * BigFloat(3.0 / 40, 64);
    panned.left = picture.left + shift;
    panned.right = picture.right + shift;
    DeepEngine fresh(2), warm(2);
    std::vector<uint32_t> a(static_cast<size_t>(grid.columns) * grid.rows), b = a;
    ASSERT_TRUE(warm.Prepare(picture));
    warm.ComputeColumns(c.params, grid, 0, grid.columns, a.data());
    ASSERT_TRUE(warm.Prepare(panned));
    EXPECT_EQ(warm.GetStats().orbitsReused, 1);
    EXPECT_EQ(warm.GetStats().orbitIterations, 0);
    warm.ComputeColumns(c.params, grid, 0, grid.columns, a.data());
    ASSERT_TRUE(fresh.Prepare(panned));
    EXPECT_EQ(fresh.GetStats().orbitsReused, 0);
    fresh.ComputeColumns(c.params, grid, 0, grid.columns, b.data());
    EXPECT_EQ(a, b);
}

// The plain iterations in vector lanes give the pixels of the one-at-a-time
// loop, bit for bit: with d held plainly and scaled, through the tiny
// iterates by a nucleus, and on a Julia set's two orbits.
TEST(DeepEngine, LanesGiveTheSamePixels) {
    // Beside the 1e-100 minibrot (bench/deep/locations' minibrot-1e100.kfr)
    // each pixel's last 2500 iterations or so are plain ones in the lanes.
    const Centre minibrot1e100 =
        At("-0.743645658690731898776413591751195133017692711768258159893140373149368168157116836"
           "5950330146507727308826359818811352795369342",
           "0.1318245152531043918568233282564282889875391986881476964971944464080696586065446084"
           "8867722932018280332301424511209375012354672");
    const std::vector<DeepCase> cases = {
        {"mandelbrot by the 1e-100 minibrot", Params(IK::Mandelbrot, 1), 40000, minibrot1e100,
         "1e-100", 0, 1, 16, 9},
        {"mandelbrot at i, 1e-60", Params(IK::Mandelbrot, 20593), 3000, At("0", "1"), "1e-60", 0, 1,
         40, 30},
        {"mandelbrot at i, 1e-300", Params(IK::Mandelbrot, 20593), 3000, At("0", "1"), "1e-300", 0,
         1, 24, 18},
        {"mandelbrot by a minibrot's nucleus, 3e-311", Params(IK::Mandelbrot, 1), 60000,
         At(kMinibrotRe, kMinibrotIm), "3e-311", 0, 1, 12, 9},
        {"julia j_9 at beta, 1e-80", Params(IK::Julia, 1, -1.258842, 0.06533), 1000,
         Root(-1.258842, 0.06533, false), "1e-80", 0, 1, 24, 18},
    };
    for (const DeepCase& c : cases) {
        const DeepPicture picture = Picture(c, c.width, c.height);
        ScanGrid grid;
        grid.columns = c.width + 1;
        grid.rows = c.height + 1;
        std::vector<std::vector<uint32_t>> colours;
        for (LaneSet lanes : AvailableLaneSets()) {
            DeepEngine engine(2);
            engine.SetLanes(lanes);
            ASSERT_TRUE(engine.Prepare(picture));
            colours.emplace_back(static_cast<size_t>(grid.columns) * grid.rows);
            engine.ComputeColumns(c.params, grid, 0, grid.columns, colours.back().data());
            EXPECT_EQ(colours.front(), colours.back())
                << c.name << " in lanes " << static_cast<int>(lanes);
        }
    }
}

}  // namespace
}  // namespace galleri
