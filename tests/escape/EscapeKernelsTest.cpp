#include <gtest/gtest.h>

#include "escape/BinaryDecomposition.h"
#include "escape/EscapeKernels.h"
#include "escape/Julia.h"
#include "escape/JuliaDragon.h"
#include "escape/MandelDragon.h"
#include "escape/MandelPhoenix.h"
#include "escape/Mandelbrot.h"

namespace galleri {
namespace {

constexpr uint32_t kMax = 0xFFFFFF;

// The colour of a point that stayed: Trunc(S * MaxColor) mod MaxColor + 1.
uint32_t InsideColourOf(double s) {
    return static_cast<uint32_t>(static_cast<int64_t>(s * 16777215.0) % 16777215) + 1;
}

EscapeParams MandelbrotParams(int index) {
    EscapeParams p;
    p.kind = IterationKind::Mandelbrot;
    p.limit = kMax;
    p.countStep = MandelbrotPresetAt(index).countStep;
    return p;
}

// A Julia iteration with a chosen c and budget, to reach exact values of S.
EscapeParams JuliaWith(double cx, double cy, int64_t limit) {
    EscapeParams p;
    p.kind = IterationKind::Julia;
    p.limit = limit;
    p.countStep = 1;
    p.cx = cx;
    p.cy = cy;
    return p;
}

TEST(MandelbrotKernel, OriginStaysForTheWholeBudget) {
    EXPECT_EQ(EscapeColour(MandelbrotParams(0), 0, 0), (815u * 20593u) % 16777216u);
    EXPECT_EQ(EscapeIterations(MandelbrotParams(0), 0, 0), 815u);
    EXPECT_EQ(EscapeColour(MandelbrotParams(13), 0, 0), (681u * 24657u) % 16777216u);
    EXPECT_EQ(EscapeIterations(MandelbrotParams(13), 0, 0), 681u);
}

TEST(MandelbrotKernel, EscapeTestLagsOneIteration) {
    // z1 = 3 and z2 = 12: the test before iteration 3 sees |z1|^2 = 9.
    for (int index : {0, 4, 12}) {
        const uint32_t step = MandelbrotPresetAt(index).countStep;
        EXPECT_EQ(EscapeColour(MandelbrotParams(index), 3, 0), 2 * step);
        EXPECT_EQ(EscapeIterations(MandelbrotParams(index), 3, 0), 2u);
    }
    // c = 2 lies on the boundary: z = 0, 2, 6, ...; |z1|^2 = 4 is not < 4.
    EXPECT_EQ(EscapeIterations(MandelbrotParams(0), 2, 0), 2u);
}

TEST(JuliaKernel, FarPointsGetTheBackground) {
    for (int index = 0; index < kJuliaPresets; ++index) {
        EXPECT_EQ(EscapeColour(JuliaParams(index), kJuliaLeft, kJuliaTop), kMax - 1) << index;
    }
    // One iteration short of the limit counts as escaped.
    EXPECT_EQ(EscapeColour(JuliaWith(0, 0, 2), 2.5, 0), kMax - 1);
}

TEST(JuliaKernel, InsideColourFromTheSquaredMagnitude) {
    // S = 0 and S = 1 both give 1: Trunc(16777215) mod 16777215 = 0.
    EXPECT_EQ(EscapeColour(JuliaWith(0, 0, 10), 0, 0), 1u);
    EXPECT_EQ(EscapeColour(JuliaWith(0, 0, 10), 1, 0), 1u);
    EXPECT_EQ(EscapeColour(JuliaWith(0, 0, 10), 0, 1), 1u);
    // S = 0.25 + 0.25 = 0.5 after one iteration from (0.5, 0.5).
    EXPECT_EQ(EscapeColour(JuliaWith(0, 0, 1), 0.5, 0.5), 8388607u + 1u);
    // S measures the iterate the last iteration started from, not the new one:
    // from 0.5 + 0.5i with c = 0 the first iterate is 0.5i, S = 0.25.
    EXPECT_EQ(EscapeColour(JuliaWith(0, 0, 2), 0.5, 0.5), InsideColourOf(0.25));
}

TEST(JuliaKernel, LeavingTheDiscInTheLastIterationCountsAsStaying) {
    // The iteration that reaches the limit squares 2.5: S = 6.25.
    EXPECT_EQ(EscapeColour(JuliaWith(0, 0, 1), 2.5, 0), 4194303u + 1u);
    // Same with a counter step that overshoots the limit (64 in steps of 3).
    EscapeParams p = JuliaWith(0, 0, 64);
    p.countStep = 3;
    EXPECT_EQ(EscapeIterations(p, 0, 0), 22u);
    EXPECT_EQ(EscapeColour(p, 0, 0), 1u);
}

TEST(JuliaKernel, BudgetOfThePresets) {
    // With c = 0 the origin stays, so it gets the whole budget.
    auto budget = [](int index) {
        EscapeParams p = JuliaParams(index);
        p.cx = 0;
        p.cy = 0;
        return EscapeIterations(p, 0, 0);
    };
    EXPECT_EQ(budget(10), 32u);
    EXPECT_EQ(budget(11), 22u);
    EXPECT_EQ(budget(12), 16u);
    EXPECT_EQ(budget(1), 137u);
    EXPECT_EQ(budget(5), 256u);
}

TEST(JuliaDragonKernel, FixedPointsReachTheLimitWithSZero) {
    // z = 0 is fixed and z = 1 maps to 0, whatever lambda.
    for (int index = 0; index < kJuliaDragonPresets; ++index) {
        const EscapeParams p = JuliaDragonParams(index);
        const uint64_t budget = (16777215 + p.countStep - 1) / p.countStep;
        EXPECT_EQ(EscapeColour(p, 0, 0), 1u) << index;
        EXPECT_EQ(EscapeColour(p, 1, 0), 1u) << index;
        EXPECT_EQ(EscapeIterations(p, 0, 0), budget) << index;
    }
    EXPECT_EQ(EscapeIterations(JuliaDragonParams(0), 0, 0), 3986u);
    EXPECT_EQ(EscapeIterations(JuliaDragonParams(1), 0, 0), 272u);
}

TEST(JuliaDragonKernel, EscapingPointsAreWhiteAfterTheLaggingTest) {
    // The corner's first iterate lambda z (1 - z) is about -1.26 + 2.45i.
    const EscapeParams p = JuliaDragonParams(1);
    EXPECT_EQ(EscapeColour(p, kJuliaDragonLeft, kJuliaDragonTop), kMax);
    EXPECT_EQ(EscapeIterations(p, kJuliaDragonLeft, kJuliaDragonTop), 2u);
}

TEST(JuliaDragonKernel, IterationOrderAndFactor) {
    // lambda = 2: the real logistic map 2 z (1 - z) from z = 0.25 gives
    // 0.375, 0.46875, ... towards 0.5; after one iteration S = 0.0625.
    EscapeParams p;
    p.kind = IterationKind::JuliaDragon;
    p.limit = 1;
    p.countStep = 1;
    p.cx = 2;
    p.cy = 0;
    EXPECT_EQ(EscapeColour(p, 0.25, 0), InsideColourOf(0.0625));
    p.limit = 2;
    EXPECT_EQ(EscapeColour(p, 0.25, 0), InsideColourOf(0.375 * 0.375));
    // lambda = i turns z (1 - z) by a quarter: from z = 0.5 the iterates are
    // 0.25i and -0.25 + 0.0625i, so after three iterations S = 0.06640625.
    p.cx = 0;
    p.cy = 1;
    p.limit = 3;
    EXPECT_EQ(EscapeColour(p, 0.5, 0), InsideColourOf(0.06640625));
}

TEST(MandelDragonKernel, LimitAndNoLagEscape) {
    const EscapeParams p = MandelDragonParams();
    const uint32_t stays = (273u * 61489u) % 16777216u;
    // lambda = 0: z becomes 0 at once; lambda = 4: z1 = 1, then 0 for ever.
    EXPECT_EQ(EscapeColour(p, 0, 0), stays);
    EXPECT_EQ(EscapeColour(p, 4, 0), stays);
    EXPECT_EQ(EscapeIterations(p, 4, 0), 273u);
    // lambda = -2.2: z1 = -0.55, z2 inside, z3 outside; the test on the
    // current iterate stops it before iteration 4.
    EXPECT_EQ(EscapeColour(p, -2.2, 0), 3u * 61489u);
    EXPECT_EQ(EscapeIterations(p, -2.2, 0), 3u);
}

TEST(MandelPhoenixKernel, OriginAndRightEdge) {
    const EscapeParams p = MandelPhoenixParams();
    EXPECT_EQ(EscapeColour(p, 0, 0), (315u * 53267u) % 16777216u);
    // z1 = 1.5, z2 = 3.75: the lagging test stops before iteration 4.
    EXPECT_EQ(EscapeColour(p, 1.5, 0), 3u * 53267u);
}

TEST(MandelPhoenixKernel, PreviousIterateEntersWithFactorQ) {
    // p = 0, q = 1: z1 = 0 (z0 = z-1 = 0) for ever: stays.
    const EscapeParams p = MandelPhoenixParams();
    EXPECT_EQ(EscapeIterations(p, 0, 1), 315u);
    // p = 1, q = -1: z = 0, 1, 2 - 0 = 2, 4 + 1 - 1 = 4 ... the squares seen by
    // the test: 0, 1, 4 -> stops before iteration 4.
    EXPECT_EQ(EscapeIterations(p, 1, -1), 3u);
    // p = 1, q = 1: z = 0, 1, 2, 4 + 1 + 1: same count, different path.
    EXPECT_EQ(EscapeIterations(p, 1, 1), 3u);
    // p = -1, q = -1: 0, -1, 1 - 1 + 0 = 0, 0 - 1 + 1 = 0, then -1, ...
    EXPECT_EQ(EscapeIterations(p, -1, -1), 315u);
}

// Binary decomposition from the last iterate: with c chosen and the point 0,
// one iteration makes the last iterate exactly c.
uint32_t BinaryColourOfLastIterate(double zx, double zy) {
    EscapeParams p = BinaryDecompositionParams();
    p.limit = 1;
    p.cx = zx;
    p.cy = zy;
    return EscapeColour(p, 0, 0);
}

TEST(BinaryDecompositionKernel, SignOfTheImaginaryPart) {
    EXPECT_EQ(BinaryColourOfLastIterate(1, 0.5), kMax);
    EXPECT_EQ(BinaryColourOfLastIterate(-1, 0.5), kMax);
    EXPECT_EQ(BinaryColourOfLastIterate(-1, -0.5), 0u);
    EXPECT_EQ(BinaryColourOfLastIterate(1, -0.5), 0u);
    EXPECT_EQ(BinaryColourOfLastIterate(1e-300, -1), 0u);
    EXPECT_EQ(BinaryColourOfLastIterate(-1e-300, 1), kMax);
}

TEST(BinaryDecompositionKernel, ExactCases) {
    // zx = 0: white whatever zy.
    EXPECT_EQ(BinaryColourOfLastIterate(0, -1), kMax);
    // On the negative real axis, zy exactly 0: white.
    EXPECT_EQ(BinaryColourOfLastIterate(-1, 0), kMax);
    EXPECT_EQ(BinaryColourOfLastIterate(1, 0), kMax);
    // zy < 0 so small beside zx that t is exactly 1: the angle 3.14159625
    // is still white; a little more and it is black.
    EXPECT_EQ(BinaryColourOfLastIterate(-1, -1e-20), kMax);
    EXPECT_EQ(BinaryColourOfLastIterate(-1, -1e-7), 0u);
    EXPECT_EQ(BinaryColourOfLastIterate(1, -1e-20), 0u);
}

TEST(BinaryDecompositionKernel, TopLeftPointIsBlackAfterOneIteration) {
    const EscapeParams p = BinaryDecompositionParams();
    EXPECT_EQ(EscapeIterations(p, -2.0, 1.5), 1u);
    EXPECT_EQ(EscapeColour(p, -2.0, 1.5), 0u);
    // Escaping or staying plays no part: the origin stays and its 16th
    // iterate decides.
    EXPECT_EQ(EscapeIterations(p, 0, 0), 16u);
}

}  // namespace
}  // namespace galleri
