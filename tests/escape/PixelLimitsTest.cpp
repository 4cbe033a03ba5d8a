// The escape-time scan visits column ImgWidth and row ImgHeight too, so a
// picture 65536 or more wide or high reaches pixel coordinate 65536, which
// does not fit the 16-bit pixel operation: a range error at that point, with
// everything before it drawn.

#include <gtest/gtest.h>

#include "escape/BinaryDecomposition.h"
#include "escape/Julia.h"
#include "support/HeadlessFigure.h"

namespace galleri {
namespace {

using testsupport::HeadlessFigure;

TEST(PixelLimits, ColumnBeyond65535) {
    for (const char* command : {"j_1", "m_1", "mandeldragon", "mandelphoenix"}) {
        HeadlessFigure f(65537, 1);
        EXPECT_THROW(f.Run(command), RangeError) << command;
        EXPECT_NE(f.Pixel(0, 0), kWhite) << command;
        EXPECT_NE(f.Pixel(65535, 0), kWhite) << command;
        EXPECT_EQ(f.Pixel(65536, 0), kWhite) << command;
        EXPECT_FALSE(f.surface.RunOpen());
    }
    HeadlessFigure exact(65536, 1);
    EXPECT_THROW(exact.Run("j_1"), RangeError);
    HeadlessFigure widest(65535, 1);
    EXPECT_NO_THROW(widest.Run("j_1"));
}

TEST(PixelLimits, BinaryDecompositionColumnBeyond65535) {
    HeadlessFigure f(65537, 1);
    EXPECT_THROW(f.Run("binary decomposition"), RangeError);
    const EscapeParams p = BinaryDecompositionParams();
    const double dx = 4.0 / 65537;
    for (int i : {0, 1, 30000, 65534, 65535}) {
        EXPECT_EQ(f.Pixel(i, 0), EscapeColour(p, -2.0 + (i * dx), 1.5)) << i;
    }
    EXPECT_EQ(f.Pixel(65536, 0), kWhite);
}

TEST(PixelLimits, RowBeyond65535) {
    HeadlessFigure julia(1, 65537);
    EXPECT_THROW(julia.Run("j_2"), RangeError);
    EXPECT_EQ(julia.Pixel(0, 65535), 0xFFFFFEu);
    EXPECT_EQ(julia.Pixel(0, 65536), kWhite);

    HeadlessFigure binary(1, 65537);
    EXPECT_THROW(binary.Run("binary decomposition"), RangeError);
    const double dy = 3.0 / 65537;
    EXPECT_EQ(binary.Pixel(0, 65535),
              EscapeColour(BinaryDecompositionParams(), -2.0, 1.5 - (65535 * dy)));
    EXPECT_EQ(binary.Pixel(0, 65536), kWhite);

    HeadlessFigure dragon(1, 65537);
    EXPECT_THROW(dragon.Run("jd_3"), RangeError);
    EXPECT_FALSE(dragon.surface.RunOpen());
}

}  // namespace
}  // namespace galleri
