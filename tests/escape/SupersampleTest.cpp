// Supersampling: the mean of the samples is taken in linear light, the
// samples fill each pixel's cell about its point, and one sample a pixel is
// the picture itself.

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "colour/BuiltinPalettes.h"
#include "commands/Commands.h"
#include "escape/FastEngine.h"
#include "escape/SmoothColouring.h"
#include "escape/Supersample.h"
#include "escape/ViewRender.h"

namespace galleri {
namespace {

// A 2x2 pixel of two black and two white samples is not 128 but the sRGB
// level of half the light, 0.5^(1/2.4) 1.055 - 0.055 = 0.7354 of 255, 187.5
// (rounded up: 188); of one red and three blue samples the channels apart.
TEST(Supersample, MeanIsTakenInLinearLight) {
    struct Case {
        std::vector<uint32_t> samples;
        uint32_t mean;
    };
    const std::vector<Case> cases = {
        {{0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF}, 0xBCBCBC},
        {{0x0000FF, 0xFF0000, 0xFF0000, 0xFF0000}, 0xE10089},  // 0.25 and 0.75 of the light
        {{0x336699, 0x336699, 0x336699, 0x336699}, 0x336699},
    };
    for (const Case& c : cases) {
        LinearMean mean;
        for (uint32_t s : c.samples) {
            mean.Add(s);
        }
        EXPECT_EQ(mean.Take(4, 0.5), c.mean) << std::hex << c.samples[0];
    }
    EXPECT_EQ(SamplePoint(1.0, 2.0, 0, 1), 1.0);
    EXPECT_EQ(SamplePoint(1.0, 2.0, 0, 2), 0.75);
    EXPECT_EQ(SamplePoint(1.0, 2.0, 1, 2), 1.25);
}

// With one sample a pixel the strips give the exact picture, in either
// colouring; with more, a different picture of the same size.
TEST(Supersample, OneSampleIsTheExactPicture) {
    const SmoothColouring smooth(FindBuiltinPalette("fire")->stops, 8, 0);
    for (const SmoothColouring* colouring :
         {static_cast<const SmoothColouring*>(nullptr), &smooth}) {
        PlaneFigure figure = *FindCommand("m_1")->Plane();
        figure.params.smooth = colouring;
        const PlaneRect view{-0.7478, -0.7396, 0.1237, 0.1283};
        const int w = 61, h = 37;
        FastEngine engine(2);
        const std::atomic<bool> never{false};
        Bitmap exact, sampled(w, h), four;
        ASSERT_TRUE(RenderView(figure, view, w, h, engine, never, exact));
        const ScanGrid full =
            MakeScanGrid(view.left, view.right, view.bottom, view.top, w, h, figure.scan);
        ASSERT_TRUE(RenderSupersampled(engine, figure.params, full, w, h, 1, never, sampled));
        EXPECT_EQ(sampled.Pixels(), exact.Pixels());
        ASSERT_TRUE(RenderView(figure, view, w, h, engine, never, four, {}, {4, 4}));
        EXPECT_NE(four.Pixels(), exact.Pixels());
    }
}

}  // namespace
}  // namespace galleri
