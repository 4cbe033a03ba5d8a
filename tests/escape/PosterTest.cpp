// Figures of the plane at the largest sizes the pixel coordinates allow:
// 65535 columns or rows, 4096 rows with a row table. Thin shapes keep the
// pictures small while the scan runs through every column and row.

#include <gtest/gtest.h>

#include "escape/FastEngine.h"
#include "support/HeadlessFigure.h"

namespace galleri {
namespace {

using testsupport::HeadlessFigure;

TEST(Poster, LargestSizesMatchReferenceWithProgressToTheEnd) {
    struct Case {
        const char* figure;
        int width, height;
    };
    for (const Case c : {Case{"j_1", 65535, 2}, Case{"j_2", 2, 65535}, Case{"jd_1", 3, 40000},
                         Case{"binary decomposition", 2, 65535}, Case{"m_5", 3, 4096},
                         Case{"mandeldragon", 2000, 2}, Case{"mandelphoenix", 2, 4096}}) {
        HeadlessFigure expected(c.width, c.height);
        ScalarEngine scalar;
        expected.surface.SetEngine(&scalar);
        expected.Run(c.figure);
        for (bool watched : {true, false}) {
            FastEngine fast(2);
            HeadlessFigure f(c.width, c.height);
            f.surface.SetEngine(&fast);
            f.platform.watched = watched;
            int done = 0, total = 0;
            f.platform.onProgress = [&](int d, int t) {
                EXPECT_GE(d, done) << c.figure;
                done = d;
                total = t;
            };
            f.Run(c.figure);
            EXPECT_TRUE(f.Picture() == expected.Picture())
                << c.figure << " at " << c.width << "x" << c.height << ", watched " << watched;
            EXPECT_EQ(f.platform.messagePoints, expected.platform.messagePoints) << c.figure;
            EXPECT_EQ(done, c.width + 1) << c.figure;
            EXPECT_EQ(total, c.width + 1) << c.figure;
        }
    }
}

}  // namespace
}  // namespace galleri
