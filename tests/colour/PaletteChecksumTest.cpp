#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "colour/PaletteChecksum.h"

namespace galleri {
namespace {

TEST(PaletteChecksum, Fnv1aKnownValues) {
    struct Case {
        std::string bytes;
        uint64_t hash;
    };
    // The published FNV-1a 64 test values.
    const std::vector<Case> cases = {
        {"", 0xcbf29ce484222325ull},
        {"a", 0xaf63dc4c8601ec8cull},
        {"foobar", 0x85944171f73967e8ull},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Fnv1a64(c.bytes), c.hash) << c.bytes;
    }
}

TEST(PaletteChecksum, StableAndSensitiveToEveryStop) {
    const std::vector<Stop> stops = {{0.0, {0, 7, 100}}, {0.5, {255, 255, 255}}, {1.0, {1, 2, 3}}};
    // The canonical bytes are fixed: a picture's text records this value.
    EXPECT_EQ(CanonicalStops({{0.5, {1, 2, 3}}}),
              std::string("\x00\x00\x00\x80\x00\x00\x00\x00\x01\x02\x03", 11));
    EXPECT_EQ(PaletteChecksum(stops), Fnv1a64(CanonicalStops(stops)));
    EXPECT_EQ(PaletteChecksumText(stops), "7a9175afc5d9868a");

    std::vector<std::vector<Stop>> changed(5, stops);
    changed[0][1].position = 0.5 + 1e-9;
    changed[1][1].colour.r = 254;
    changed[2][2].colour.b = 4;
    changed[3].pop_back();
    std::swap(changed[4][0], changed[4][1]);
    for (const std::vector<Stop>& c : changed) {
        EXPECT_NE(PaletteChecksum(c), PaletteChecksum(stops));
    }
    // Below 2^-32 a position's last bits do not count.
    std::vector<Stop> same = stops;
    same[1].position = 0.5 + 1e-12;
    EXPECT_EQ(PaletteChecksum(same), PaletteChecksum(stops));
}

}  // namespace
}  // namespace galleri
