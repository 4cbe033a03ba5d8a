#include <gtest/gtest.h>

#include <set>

#include "PictureHash.h"
#include "dynamics/Bifurcation.h"
#include "surface/HeadlessPlatform.h"
#include "surface/Surface.h"

namespace galleri {
namespace {

struct Scene {
    explicit Scene(int w = 483, int h = 609) : platform(w, h), surface(platform) {}
    HeadlessPlatform platform;
    Surface surface;
};

std::set<int> RowsInColumn(const Surface& s, int column) {
    std::set<int> rows;
    for (int y = 0; y < s.Picture().Height(); ++y) {
        const uint32_t c = s.GetPixel(column, y);
        if (c != kWhite) {
            EXPECT_EQ(c, 255u);
            rows.insert(y);
        }
    }
    return rows;
}

TEST(DrawBifurcation, EscapingColumnEndsTheDiagram) {
    // r passes 4 at column 610 for the whole range and at column 899 for the
    // close-up; everything to the right stays empty.
    const int lastDrawn[4] = {609, 898, 609, 898};
    for (int index = 0; index < 4; ++index) {
        SCOPED_TRACE(index);
        Scene run(1000, 600);
        DrawBifurcation(run.surface, index);
        for (int col = 0; col < 1000; ++col) {
            EXPECT_EQ(RowsInColumn(run.surface, col).empty(), col > lastDrawn[index]) << col;
        }
    }
}

TEST(DrawBifurcation, DecayingOrbitSitsInTheBottomRows) {
    for (int index : {0, 2}) {
        SCOPED_TRACE(index);
        Scene run(100, 600);
        DrawBifurcation(run.surface, index);
        EXPECT_EQ(RowsInColumn(run.surface, 0), (std::set<int>{598, 599}));
    }
}

TEST(DrawBifurcation, MappingWith700UsesTheBottom175Rows) {
    for (int index : {0, 3}) {
        SCOPED_TRACE(index);
        Scene run;
        DrawBifurcation(run.surface, index);
        for (int y = 0; y < 609 - 175; ++y) {
            for (int x = 0; x < 483; ++x) {
                ASSERT_EQ(run.surface.GetPixel(x, y), kWhite) << x << "," << y;
            }
        }
    }
    // A picture lower than 175 loses the points above it, without error.
    Scene low(200, 100);
    EXPECT_NO_THROW(DrawBifurcation(low.surface, 3));
}

TEST(DrawBifurcation, EscapeIsNeverHandled) {
    Scene reference;
    DrawBifurcation(reference.surface, 1);
    Scene run;
    run.surface.PenWidth = 4;
    run.platform.onMessages = [&] { run.surface.RequestAbort(); };
    DrawBifurcation(run.surface, 1);
    EXPECT_EQ(run.surface.Picture(), reference.surface.Picture());
    EXPECT_EQ(run.platform.messagePoints, 0);
    EXPECT_EQ(run.platform.updates + run.platform.refreshes, 0);
    EXPECT_EQ(run.surface.PenWidth, 1);
    EXPECT_FALSE(run.surface.RunOpen());
}

// Requests a stop whenever the picture height is read, as if Escape arrived
// in the middle of the first column.
class StoppingPlatform : public HeadlessPlatform {
  public:
    using HeadlessPlatform::HeadlessPlatform;
    int ControlHeight() const override {
        if (surface != nullptr) {
            surface->RequestAbort();
        }
        return HeadlessPlatform::ControlHeight();
    }
    Surface* surface = nullptr;
};

TEST(DrawBifurcation, StopRequestEndsAfterTheCurrentColumn) {
    StoppingPlatform platform(483, 609);
    Surface s(platform);
    platform.surface = &s;
    DrawBifurcation(s, 2);
    EXPECT_FALSE(RowsInColumn(s, 0).empty());
    for (int col = 1; col < 483; ++col) {
        ASSERT_TRUE(RowsInColumn(s, col).empty()) << col;
    }
}

TEST(DrawBifurcation, GoldenChecksums) {
    struct Case {
        int w, h, index;
        uint64_t hash;
    };
    const Case cases[] = {
        {483, 609, 0, 0x81083b09db7d7b3ull},   {483, 609, 1, 0xded78c1306797333ull},
        {483, 609, 2, 0xc1019bf36d94d70dull},  {483, 609, 3, 0x4e02293ecd9e2b37ull},
        {1000, 150, 0, 0xd4e048198a066c0eull}, {1000, 150, 1, 0xa085732b71991216ull},
        {1000, 150, 2, 0xc33738ea568a4040ull}, {1000, 150, 3, 0xf0a9d97252b43d86ull},
    };
    for (const Case& c : cases) {
        Scene run(c.w, c.h);
        DrawBifurcation(run.surface, c.index);
        EXPECT_EQ(PictureHash(run.surface.Picture()), c.hash)
            << c.w << "x" << c.h << " preset " << c.index << ": 0x" << std::hex
            << PictureHash(run.surface.Picture());
    }
}

}  // namespace
}  // namespace galleri
