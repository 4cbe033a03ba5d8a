#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "video/KeyframeBlend.h"

namespace galleri {
namespace {

// A smooth picture of the plane seen through a view zoomed `scale` times
// about the picture position `fixed`: what an exact keyframe of such a view
// would hold.
Bitmap Smooth(int w, int h, PicturePoint fixed, double scale) {
    Bitmap picture(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            // The plane point of the position, in the units of the view of
            // scale 1.
            const double u = fixed.x + (x - fixed.x) * scale;
            const double v = fixed.y + (y - fixed.y) * scale;
            const auto channel = [](double t) {
                return static_cast<uint32_t>(std::lround(127.5 + 127.5 * std::sin(t)));
            };
            picture.Set(x, y, channel(u / 9) | channel(v / 7) << 8 | channel((u + v) / 13) << 16);
        }
    }
    return picture;
}

// A frame between two keyframes of a zoom is the picture of its own view,
// but for the resampling of a smooth picture (a level or two), wherever the
// fixed point lies in the picture.
TEST(KeyframeBlend, AFrameBetweenKeyframesIsItsOwnView) {
    struct Case {
        PicturePoint fixed;
        double outer, inner;  // the frame's size against each keyframe's
    };
    const std::vector<Case> cases = {
        {{40, 30}, 0.6, 1.2},      // the middle, 0.74 of the way to a doubling
        {{3.5, 52.25}, 0.9, 1.8},  // near a corner
        {{79, 0}, 0.51, 1.02},     // in a corner, just past a doubling
    };
    const int w = 80, h = 60;
    for (const Case& c : cases) {
        const Bitmap outer = Smooth(w, h, c.fixed, 1 / c.outer);
        const Bitmap inner = Smooth(w, h, c.fixed, 1 / c.inner);
        const Bitmap expected = Smooth(w, h, c.fixed, 1);
        for (const int threads : {1, 3}) {
            const Bitmap frame = BlendKeyframes({&outer, c.outer, c.outer},
                                                {&inner, c.inner, c.inner}, c.fixed, threads);
            ASSERT_EQ(frame.Width(), w);
            ASSERT_EQ(frame.Height(), h);
            int worst = 0;
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    for (int shift = 0; shift < 24; shift += 8) {
                        worst = std::max(
                            worst,
                            std::abs(static_cast<int>((frame.Get(x, y) >> shift) & 0xFF) -
                                     static_cast<int>((expected.Get(x, y) >> shift) & 0xFF)));
                    }
                }
            }
            EXPECT_LE(worst, 6) << c.fixed.x << "," << c.fixed.y << " threads " << threads;
        }
    }
}

}  // namespace
}  // namespace galleri
