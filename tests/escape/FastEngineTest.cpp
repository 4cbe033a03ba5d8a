#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "escape/EscapeScan.h"
#include "escape/FastEngine.h"

namespace galleri {
namespace {

// One escape-time figure as the engine sees it: the iteration and how the
// scan forms the points.
struct Case {
    const char* name;
    EscapeParams params;
    ScanSettings settings;
    double left, right, bottom, top;
};

EscapeParams Params(IterationKind kind, int64_t limit, uint32_t step, double cx = 0,
                    double cy = 0) {
    EscapeParams p;
    p.kind = kind;
    p.limit = limit;
    p.countStep = step;
    p.cx = cx;
    p.cy = cy;
    return p;
}

ScanSettings Accumulated(int extra = 0) {
    ScanSettings s;
    s.form = PointForm::Accumulated;
    s.divisorExtra = extra;
    return s;
}

ScanSettings Direct() {
    ScanSettings s;
    s.form = PointForm::Direct;
    return s;
}

constexpr int64_t kMax = 0xFFFFFF;
using IK = IterationKind;

// Every kind, with settings of real figures and a few budgets that are not
// a multiple of the step, or no budget at all.
const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        {"mandel m_1", Params(IK::Mandelbrot, kMax, 20593), Accumulated(), -2.0, 1.2, -1.2, 1.2},
        {"mandel m_5", Params(IK::Mandelbrot, kMax, 4384), Accumulated(), -1.2, -1.0, 0.2, 0.35},
        {"mandel mirrored m_13", Params(IK::Mandelbrot, kMax, 53266), Accumulated(), -0.7645388,
         -0.7665464, 0.09303, 0.102967},
        {"mandel no budget", Params(IK::Mandelbrot, 0, 7), Accumulated(), -2.0, 1.2, -1.2, 1.2},
        {"mandel one iteration", Params(IK::Mandelbrot, 5, 7), Accumulated(), -2.0, 1.2, -1.2, 1.2},
        {"julia j_1", Params(IK::Julia, 96, 1, 0.238498, 0.519198), Direct(), -1.8, 1.8, -1.2, 1.2},
        {"julia j_2", Params(IK::Julia, kMax / 2, 61487, -0.743026, 0.113467), Direct(), -1.8, 1.8,
         -1.2, 1.2},
        {"julia j_12", Params(IK::Julia, 64, 3, 0.268545, -0.003483), Direct(), -1.8, 1.8, -1.2,
         1.2},
        {"julia dragon jd_9", Params(IK::JuliaDragon, kMax, 1029, 2.998122, 0.004298), Direct(),
         -0.4, 1.4, -0.8, 0.8},
        {"julia dragon jd_7", Params(IK::JuliaDragon, kMax, 258, 2.797809, -0.657593), Direct(),
         -0.4, 1.4, -0.8, 0.8},
        {"mandeldragon", Params(IK::MandelDragon, kMax, 61489), Accumulated(1), -2.2, 4.2, -1.5,
         1.5},
        {"mandelphoenix", Params(IK::MandelPhoenix, kMax, 53267), Accumulated(), -2.1, 1.5, -2.0,
         2.0},
        {"binary decomposition", Params(IK::BinaryDecomposition, 16, 1, 0.318623, 0.0429799),
         Direct(), -2.0, 2.0, -1.5, 1.5},
    };
    return cases;
}

std::vector<SimdPath> SupportedPaths() {
    std::vector<SimdPath> paths;
    for (SimdPath p : {SimdPath::Avx512, SimdPath::Avx2, SimdPath::Portable}) {
        if (SimdPathSupported(p)) {
            paths.push_back(p);
        }
    }
    return paths;
}

// All columns of the grid, computed in blocks of `block` columns as the scan
// asks for them.
std::vector<uint32_t> Compute(EscapeEngine& engine, const Case& c, const ScanGrid& grid,
                              int block) {
    std::vector<uint32_t> out(static_cast<size_t>(grid.columns) * grid.rows, 0xDEADBEEF);
    for (int first = 0; first < grid.columns; first += block) {
        const int count = std::min(block, grid.columns - first);
        engine.ComputeColumns(c.params, grid, first, count,
                              out.data() + static_cast<size_t>(first) * grid.rows);
    }
    return out;
}

// The fast engine gives the reference's colours for every case, path and
// thread count at one picture size.
void ExpectSameAsReference(int width, int height, const std::vector<int>& threads) {
    for (const Case& c : Cases()) {
        const ScanGrid grid =
            MakeScanGrid(c.left, c.right, c.bottom, c.top, width, height, c.settings);
        ScalarEngine scalar;
        const std::vector<uint32_t> expected = Compute(scalar, c, grid, 10);
        for (SimdPath path : SupportedPaths()) {
            for (int n : threads) {
                FastEngine fast(n, path);
                fast.SetPixelsPerThread(1);
                const std::vector<uint32_t> actual = Compute(fast, c, grid, 7);
                EXPECT_EQ(actual, expected) << c.name << " at " << width << "x" << height << ", "
                                            << SimdPathName(path) << ", " << n << " threads";
            }
        }
    }
}

TEST(FastEngine, AwkwardSizesMatchReference) {
    for (auto [w, h] : {std::pair{1, 1}, {7, 3}, {97, 61}, {13, 94}, {2, 2}}) {
        ExpectSameAsReference(w, h, {1, 2, 3, 5});
    }
}

TEST(FastEngine, NarrowPictureOfTheRowLimitMatchesReference) {
    ExpectSameAsReference(3, 4096, {1, 2, 5});
}

TEST(FastEngine, WindowSizeMatchesReference) {
    ExpectSameAsReference(161, 203, {1, 2, 3});
}

// Within a scan the engine computes the next block ahead; blocks asked for
// out of that order, or of another size, still come out right.
TEST(FastEngine, BlocksOutOfOrderWithinAScan) {
    const Case& c = Cases()[1];
    const ScanGrid grid = MakeScanGrid(c.left, c.right, c.bottom, c.top, 60, 40, c.settings);
    ScalarEngine scalar;
    const std::vector<uint32_t> expected = Compute(scalar, c, grid, 10);
    for (int threads : {1, 2, 3}) {
        FastEngine fast(threads);
        fast.SetPixelsPerThread(1);
        std::vector<uint32_t> actual(expected.size(), 0);
        auto block = [&](int first, int count) {
            fast.ComputeColumns(c.params, grid, first, count,
                                actual.data() + static_cast<size_t>(first) * grid.rows);
        };
        fast.BeginScan();
        block(0, 10);
        block(10, 10);
        block(30, 5);   // skips the block computed ahead
        block(20, 10);  // goes back
        block(35, 26);  // another size, up to the last column
        fast.EndScan();
        EXPECT_EQ(actual, expected) << threads << " threads";
        // Used again outside a scan.
        EXPECT_EQ(Compute(fast, c, grid, 13), expected) << threads << " threads";
    }
}

// Within a scan the workers run ahead through a ring of blocks that holds a
// bounded number of columns; a scan wider than the ring reuses its places
// many times. Blocks of the window's sizes and larger ones, the last block
// short, every kind.
TEST(FastEngine, ScanThroughTheRingMatchesReference) {
    for (const Case& c : Cases()) {
        const ScanGrid grid = MakeScanGrid(c.left, c.right, c.bottom, c.top, 700, 5, c.settings);
        ScalarEngine scalar;
        const std::vector<uint32_t> expected = Compute(scalar, c, grid, grid.columns);
        for (int block : {1, 10, 25, 64, 300}) {
            for (int threads : {1, 2, 3}) {
                FastEngine fast(threads);
                fast.SetPixelsPerThread(1);
                fast.BeginScan();
                const std::vector<uint32_t> actual = Compute(fast, c, grid, block);
                fast.EndScan();
                EXPECT_EQ(actual, expected)
                    << c.name << ", blocks of " << block << ", " << threads << " threads";
            }
        }
    }
}

// Views where most pixels never escape, so that the engine finds their
// orbits on exact cycles: the main cardioid, the period-2 disc, Julia and
// dragon interiors (whose colour reads the last iterate, so the lane is
// stepped round its cycle to its budget's end), the phoenix map (whose state
// holds the previous iterate) and the binary decomposition with a long
// budget. Budgets are not multiples of the distances the engine compares
// at. Each view is drawn whole and in random sub-views; the engine must give
// the reference's colours and must have found cycles.
TEST(FastEngine, ViewsOnCyclesMatchReference) {
    const std::vector<Case> cases = {
        {"main cardioid", Params(IK::Mandelbrot, kMax, 20593), Accumulated(), -0.6, 0.2, -0.4, 0.4},
        {"period-2 disc", Params(IK::Mandelbrot, kMax, 4384), Accumulated(), -1.2, -0.8, -0.2, 0.2},
        {"m_5", Params(IK::Mandelbrot, kMax, 4384), Accumulated(), -1.2, -1.0, 0.2, 0.35},
        {"julia interior", Params(IK::Julia, 3001, 1, -0.12, 0.2), Direct(), -1.0, 1.0, -0.8, 0.8},
        {"julia interior, large steps", Params(IK::Julia, kMax / 2, 4099, -1.0, 0.05), Direct(),
         -1.5, 1.5, -0.6, 0.6},
        {"julia dragon interior", Params(IK::JuliaDragon, kMax, 4210, 2.5, 0.2), Direct(), -0.4,
         1.4, -0.8, 0.8},
        {"mandeldragon", Params(IK::MandelDragon, kMax, 61489), Accumulated(1), -2.2, 4.2, -1.5,
         1.5},
        {"mandelphoenix centre", Params(IK::MandelPhoenix, kMax, 53267), Accumulated(), -0.6, 0.3,
         -0.5, 0.5},
        {"binary decomposition, long budget", Params(IK::BinaryDecomposition, 1999, 1, -0.12, 0.2),
         Direct(), -1.0, 1.0, -0.75, 0.75},
    };
    std::mt19937 random(20261209);
    const auto unit = [&random] { return static_cast<double>(random()) / 4294967296.0; };
    for (const Case& whole : cases) {
        std::vector<Case> views = {whole};
        for (int v = 0; v < 3; ++v) {
            Case sub = whole;
            const double w = (whole.right - whole.left) * (0.05 + 0.3 * unit());
            const double h = (whole.top - whole.bottom) * (0.05 + 0.3 * unit());
            sub.left = whole.left + (whole.right - whole.left - w) * unit();
            sub.right = sub.left + w;
            sub.bottom = whole.bottom + (whole.top - whole.bottom - h) * unit();
            sub.top = sub.bottom + h;
            views.push_back(sub);
        }
        for (const Case& c : views) {
            const ScanGrid grid =
                MakeScanGrid(c.left, c.right, c.bottom, c.top, 47, 39, c.settings);
            ScalarEngine scalar;
            const std::vector<uint32_t> expected = Compute(scalar, c, grid, 10);
            for (SimdPath path : SupportedPaths()) {
                for (int threads : {1, 2}) {
                    FastEngine fast(threads, path);
                    fast.SetPixelsPerThread(1);
                    EXPECT_EQ(Compute(fast, c, grid, 7), expected)
                        << c.name << " " << c.left << "," << c.right << "," << c.bottom << ","
                        << c.top << ", " << SimdPathName(path) << ", " << threads << " threads";
                    if (&c == &views.front()) {
                        EXPECT_GT(fast.CyclesFound(), 0) << c.name << ", " << SimdPathName(path);
                    }
                }
            }
        }
    }
}

TEST(FastEngine, AutoChoosesASupportedPath) {
    FastEngine engine(0, SimdPath::Auto);
    EXPECT_NE(engine.Path(), SimdPath::Auto);
    EXPECT_TRUE(SimdPathSupported(engine.Path()));
    EXPECT_GE(engine.Threads(), 1);
    engine.SetThreads(3);
    EXPECT_EQ(engine.Threads(), 3);
}

TEST(FastEngine, RefusesAPathTheCpuLacks) {
    for (SimdPath p : {SimdPath::Avx512, SimdPath::Avx2}) {
        if (!SimdPathSupported(p)) {
            EXPECT_THROW(FastEngine(1, p), std::invalid_argument);
        }
    }
    EXPECT_NO_THROW(FastEngine(1, SimdPath::Portable));
}

// Points whose orbits end on the edge cases of the colour rules: exactly on
// the disc's edge, zero and negative-axis last iterates.
TEST(FastEngine, ChosenPointsMatchReference) {
    ScanGrid grid;
    grid.columnRe = {0.0, 3.0, -2.0, 2.0, -0.75, 0.25, -1.0, 1e-300, -1e-300};
    grid.rowIm = {0.0, 1.5, -1.5, 2.0, -2.0, 0.1, 1e-300, -1e-300};
    grid.columns = static_cast<int>(grid.columnRe.size());
    grid.rows = static_cast<int>(grid.rowIm.size());
    for (const Case& c : Cases()) {
        ScalarEngine scalar;
        const std::vector<uint32_t> expected = Compute(scalar, c, grid, grid.columns);
        for (SimdPath path : SupportedPaths()) {
            FastEngine fast(2, path);
            fast.SetPixelsPerThread(1);
            EXPECT_EQ(Compute(fast, c, grid, 3), expected) << c.name << " " << SimdPathName(path);
        }
    }
}

}  // namespace
}  // namespace galleri
