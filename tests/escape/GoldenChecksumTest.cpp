// Golden fingerprints of whole figures, taken after the pictures were checked
// by eye and against the exact per-pixel cases. Any engine that draws these
// figures must reproduce them bit for bit. Each figure is fingerprinted at an
// odd small size and, where it is cheap enough, at the start-up size 483 x 609.

#include <gtest/gtest.h>

#include "support/HeadlessFigure.h"

namespace galleri {
namespace {

using testsupport::DrawCommand;
using testsupport::PixelChecksum;

struct Golden {
    const char* command;
    uint64_t small;  // 97 x 61
    uint64_t full;   // 483 x 609; 0 where the figure is too slow for the suite
};

void ExpectGolden(const Golden* rows, size_t count) {
    for (size_t k = 0; k < count; ++k) {
        const Golden& g = rows[k];
        EXPECT_EQ(PixelChecksum(DrawCommand(g.command, 97, 61)), g.small) << g.command;
        if (g.full != 0) {
            EXPECT_EQ(PixelChecksum(DrawCommand(g.command, 483, 609)), g.full) << g.command;
        }
    }
}

constexpr Golden kMandelbrot[] = {
    {"m_1", 0x5643180261dd0652ull, 0x7e9e48cb08bce271ull},
    {"m_2", 0x63cf2955b4ae7e99ull, 0xab50d1c42f58d781ull},
    {"m_3", 0x6633c5c29ffebd9aull, 0x29dc70bb3dc647a1ull},
    {"m_4", 0x826413f5c0585f27ull, 0xc4a3ce7a7be31ef3ull},
    {"m_5", 0xc5764c8cc0e62518ull, 0xbfe0be78fd7f16beull},
    {"m_6", 0x236aa2df34627dc7ull, 0x2a65771a72d7b143ull},
    {"m_7", 0x7189dbc886bb9916ull, 0x02fbb6dbe9a7d00dull},
    {"m_8", 0x9aa931720e73ce4bull, 0xb34e1e4228b4453dull},
    {"m_9", 0xa850a33b1b7748b0ull, 0x0cd5947d9071dcc0ull},
    {"m_10", 0x8cfae708742222e9ull, 0xbd56d6287dfea9efull},
    {"m_11", 0xb6ddc9f6c236be86ull, 0xf9f7da222959b92eull},
    {"m_12", 0xc116936151d31116ull, 0x0251ad8f91e40745ull},
    {"m_13", 0x1472bb18b4020512ull, 0x0015f6c93d79542eull},
    {"m_14", 0x39fcca7f700e2e97ull, 0xaf995e3c5fa4910dull},
};

constexpr Golden kJulia[] = {
    {"j_1", 0xacd27953032fe25dull, 0xd4abc35924f584b9ull},
    {"j_2", 0x348036424b68afd5ull, 0x2709d75fa2b86cfcull},
    {"j_3", 0xa8911188c8599ca1ull, 0xdac7dbd8855337d1ull},
    {"j_4", 0x4ed4c00f2d339f99ull, 0x84bf93c3523ee286ull},
    {"j_5", 0x3edbd485ad6150c5ull, 0xb117c339cac84f64ull},
    {"j_6", 0x39d40de0778e69d0ull, 0xebfb8194d284af83ull},
    {"j_7", 0x1edf4c8bf63b1e49ull, 0x9cbcaa3ad35d01d9ull},
    {"j_8", 0x80a6007f15da2131ull, 0xdfa8233a0a12606dull},
    {"j_9", 0x52cd8815786e4bfdull, 0xe4f50f6c9f3faeaaull},
    {"j_10", 0x2ae3303b410048d9ull, 0x8b6e323fe20276d5ull},
    {"j_11", 0x3c5eaa1dde21874dull, 0x9e5258ca7ee20449ull},
    {"j_12", 0x6b24936fd0d05081ull, 0x30916f83296860c1ull},
    {"j_13", 0x8e00c1d94776f121ull, 0x7f945b71c27f44adull},
    {"j_14", 0xbf4d79638d4041f4ull, 0x728a6644a34c7cc1ull},
    {"j_15", 0x7cc07a60e2b92cadull, 0xd326ba6323eee198ull},
};

// "jd_9" spends about 391 million iterations at 483 x 609: small size only.
constexpr Golden kJuliaDragon[] = {
    {"jd_10", 0xfb319bd0ce642b64ull, 0x116ea62a52861f82ull},
    {"jd_1", 0x4efa6e84e8ddab4aull, 0xedc5f3d5a3741650ull},
    {"jd_9", 0x6dd19437812e92f0ull, 0},
};

constexpr Golden kOthers[] = {
    {"mandeldragon", 0x26355932f7518dacull, 0xc788e4b6f861271cull},
    {"mandelphoenix", 0x6442618c3d815371ull, 0x0a1f8cbcfdbb2b9aull},
    {"binary decomposition", 0xb6b0c288ebff0fe5ull, 0x3d53868d9be776d5ull},
};

TEST(Golden, Mandelbrot) {
    ExpectGolden(kMandelbrot, std::size(kMandelbrot));
}

TEST(Golden, Julia) {
    ExpectGolden(kJulia, std::size(kJulia));
}

TEST(Golden, JuliaDragon) {
    ExpectGolden(kJuliaDragon, std::size(kJuliaDragon));
    // "jd_2" to "jd_8" are entirely white.
    const uint64_t whiteSmall = PixelChecksum(Bitmap(97, 61));
    const uint64_t whiteFull = PixelChecksum(Bitmap(483, 609));
    for (int k = 2; k <= 8; ++k) {
        const std::string command = "jd_" + std::to_string(k);
        EXPECT_EQ(PixelChecksum(DrawCommand(command, 97, 61)), whiteSmall) << command;
        EXPECT_EQ(PixelChecksum(DrawCommand(command, 483, 609)), whiteFull) << command;
    }
}

TEST(Golden, DragonPhoenixAndBinaryDecomposition) {
    ExpectGolden(kOthers, std::size(kOthers));
}

}  // namespace
}  // namespace galleri
