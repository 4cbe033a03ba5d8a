// Smooth pictures are the same on every engine, instruction set and thread
// count, drawn by the scan and by the explorer's view renderer.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "colour/BuiltinPalettes.h"
#include "escape/FastEngine.h"
#include "escape/SmoothColouring.h"
#include "escape/ViewRender.h"
#include "support/HeadlessFigure.h"

namespace galleri {
namespace {

using testsupport::HeadlessFigure;

Bitmap DrawSmooth(const Command& command, const PlaneRect& view, EscapeEngine& engine,
                  const SmoothColouring* smooth, int w, int h) {
    HeadlessFigure f(w, h);
    f.surface.SetEngine(&engine);
    RunFigureView(f.surface, command, view, std::nullopt, smooth);
    return f.Picture();
}

TEST(SmoothColouring, SamePictureOnEveryEngineAndThreadCount) {
    // A palette pass of 0.37 iterations: a change of nu by 1e-4 moves a
    // pixel to another of the gradient's entries.
    const SmoothColouring smooth(FindBuiltinPalette("rainbow")->stops, 0.37, 0.1);
    const int w = 97, h = 61;
    struct Case {
        const char* command;
        PlaneRect view;
    };
    // Every map; m_1's own view has interiors found on cycles, the view of
    // jd_1 a mirrored rectangle.
    const std::vector<Case> cases = {
        {"m_1", {-2.0, 1.2, -1.2, 1.2}},
        {"m_5", {-1.2, -1.0, 0.2, 0.35}},
        {"j_2", {-1.8, 1.8, -1.2, 1.2}},
        {"jd_1", {1.4, -0.4, -0.8, 0.8}},
        {"mandeldragon", {-2.2, 4.2, -1.5, 1.5}},
        {"mandelphoenix", {-2.1, 1.5, -2.0, 2.0}},
        {"binary decomposition", {-2.0, 2.0, -1.5, 1.5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const Command& command = *FindCommand(c.command);
        ScalarEngine scalar;
        const Bitmap reference = DrawSmooth(command, c.view, scalar, &smooth, w, h);
        EXPECT_NE(reference.Pixels(), DrawSmooth(command, c.view, scalar, nullptr, w, h).Pixels());
        for (SimdPath path : {SimdPath::Avx512, SimdPath::Avx2, SimdPath::Portable}) {
            if (!SimdPathSupported(path)) {
                continue;
            }
            for (int threads : {1, 2, 3}) {
                FastEngine fast(threads, path);
                fast.SetPixelsPerThread(1);
                EXPECT_EQ(DrawSmooth(command, c.view, fast, &smooth, w, h).Pixels(),
                          reference.Pixels())
                    << SimdPathName(path) << ", " << threads << " threads";
            }
        }
        PlaneFigure figure = *command.Plane();
        figure.params.smooth = &smooth;
        FastEngine fast(2);
        Bitmap picture;
        const std::atomic<bool> cancel{false};
        ASSERT_TRUE(RenderView(figure, c.view, w, h, fast, cancel, picture));
        EXPECT_EQ(picture.Pixels(), reference.Pixels()) << "the view renderer";
    }
    // The main cardioid of m_1 never escapes: black, whatever the palette.
    ScalarEngine scalar;
    EXPECT_EQ(
        DrawSmooth(*FindCommand("m_1"), {-2.0, 1.2, -1.2, 1.2}, scalar, &smooth, w, h).Get(55, 30),
        SmoothColouring::kInteriorColour);
}

}  // namespace
}  // namespace galleri
