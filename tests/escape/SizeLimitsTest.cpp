// The limits the drawing core tells before drawing agree with what the
// figures do when they draw.

#include <gtest/gtest.h>

#include <string>

#include "escape/SizeLimits.h"
#include "support/HeadlessFigure.h"

namespace galleri {
namespace {

using testsupport::HeadlessFigure;

bool IsEscapeTime(const Command& c) {
    const std::string menu = c.menu ? c.menu : "";
    return menu == "mandelbroot1" || menu == "julia1" || menu == "juliadragons1" ||
           menu == "mandeldragon1" || std::string(c.item) == "binarydecomposition1";
}

bool RaisesRangeError(const Command& c, int width, int height) {
    HeadlessFigure f(width, height);
    try {
        f.Run(c.item);
    } catch (const RangeError&) {
        return true;
    }
    return false;
}

TEST(SizeLimits, KnownBeforeDrawingForEveryFigureOfThePlane) {
    for (const Command& c : Commands()) {
        if (c.kind != CommandKind::Figure || !c.Enabled()) {
            continue;
        }
        SCOPED_TRACE(c.item);
        const std::optional<SizeLimit> limit = FigureSizeLimit(c.item);
        ASSERT_EQ(limit.has_value(), IsEscapeTime(c));
        if (!limit) {
            EXPECT_NO_THROW(CheckFigureSize(c.item, 65535, 65535));
            continue;
        }
        EXPECT_EQ(limit->width, 65535);
        // The row table holds 4097 rows: only its figures fail at 4097.
        EXPECT_EQ(RaisesRangeError(c, 1, 4097), limit->height == 4096);
        if (limit->height == 4096) {
            EXPECT_FALSE(RaisesRangeError(c, 1, 4096));
        } else {
            EXPECT_EQ(limit->height, 65535);
        }
        EXPECT_NO_THROW(CheckFigureSize(c.item, limit->width, limit->height));
        EXPECT_THROW(CheckFigureSize(c.item, limit->width + 1, 1), RangeError);
        EXPECT_THROW(CheckFigureSize(c.item, 1, limit->height + 1), RangeError);
    }
}

}  // namespace
}  // namespace galleri
