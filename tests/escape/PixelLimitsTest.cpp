// The escape-time scan visits column ImgWidth and row ImgHeight too, so a
// picture 65536 or more wide or high reaches pixel coordinate 65536, which
// does not fit the 16-bit pixel operation: a range error at that point, with
// everything before it drawn.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <new>

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

#if !defined(__SANITIZE_ADDRESS__)
// Draws a picture 20 million rows high in a process whose address space has
// room for the picture (80 MB) and a few hundred MB more, but not for buffers
// of all its rows. Ends the process: 0 when the range error came at row
// 65536 with the rows above drawn, 2 when memory ran out.
[[noreturn]] void DrawTallPictureInLittleMemory(const char* figure, bool scalar) {
    long pages = 0;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr || std::fscanf(statm, "%ld", &pages) != 1) {
        std::_Exit(3);
    }
    std::fclose(statm);
    const rlim_t room = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) +
                        (rlim_t{600} << 20);
    const rlimit limit{room, room};
    setrlimit(RLIMIT_AS, &limit);
    ScalarEngine reference;
    HeadlessFigure f(1, 20000000);
    f.surface.SetEngine(scalar ? &reference : nullptr);
    try {
        f.Run(figure);
    } catch (const RangeError&) {
        std::_Exit(f.Pixel(0, 65535) != kWhite && f.Pixel(0, 65536) == kWhite ? 0 : 4);
    } catch (const std::bad_alloc&) {
        std::_Exit(2);
    }
    std::_Exit(1);
}
#endif

// A picture far taller than 65536 rows fails at row 65536 as above, and the
// scan's own buffers stay near the picture's size on the way.
TEST(PixelLimits, TallPictureFailsWithoutHugeBuffers) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer's shadow memory needs a huge address space";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const char* figure : {"j_1", "binary decomposition"}) {
        for (bool scalar : {true, false}) {
            EXPECT_EXIT(DrawTallPictureInLittleMemory(figure, scalar), ::testing::ExitedWithCode(0),
                        "")
                << figure << (scalar ? ", scalar" : ", fast");
        }
    }
#endif
}

}  // namespace
}  // namespace galleri
