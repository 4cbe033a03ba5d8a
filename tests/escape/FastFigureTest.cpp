#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "commands/Commands.h"
#include "escape/EscapeScan.h"
#include "escape/FastEngine.h"
#include "surface/HeadlessPlatform.h"
#include "surface/Surface.h"

namespace galleri {
namespace {

bool IsEscapeTime(const Command& c) {
    const std::string menu = c.menu ? c.menu : "";
    return menu == "mandelbroot1" || menu == "julia1" || menu == "juliadragons1" ||
           menu == "mandeldragon1" || std::string(c.caption) == "binary decomposition";
}

std::vector<const Command*> EscapeTimeCommands() {
    std::vector<const Command*> out;
    for (const Command& c : Commands()) {
        if (c.Enabled() && c.kind == CommandKind::Figure && IsEscapeTime(c)) {
            out.push_back(&c);
        }
    }
    return out;
}

// The heaviest figures are compared at a smaller size to keep the suite fast.
bool IsHeavy(const Command& c) {
    static const std::set<std::string> heavy = {"m_5", "m_4", "m_8", "jd_9", "jd_10", "jd_7"};
    return heavy.count(c.caption) > 0;
}

struct Render {
    Bitmap picture;
    int messagePoints = 0;
    int updates = 0;
    int refreshes = 0;
};

// Draws a command with the engine (null: the surface's default). With
// `stopAt` > 0, Escape is pressed at that message point.
Render Draw(const Command& c, EscapeEngine* engine, int w, int h, int stopAt = 0,
            bool watched = true) {
    HeadlessPlatform platform(w, h);
    platform.watched = watched;
    Surface surface(platform);
    surface.SetEngine(engine);
    platform.onMessages = [&] {
        if (platform.messagePoints == stopAt) {
            surface.RequestAbort();
        }
    };
    RunFigure(surface, c);
    return {surface.Picture(), platform.messagePoints, platform.updates, platform.refreshes};
}

TEST(FastFigures, EveryEscapeTimeFigureMatchesReference) {
    const std::vector<const Command*> commands = EscapeTimeCommands();
    ASSERT_GE(commands.size(), 14u);
    ScalarEngine scalar;
    FastEngine twoThreads(2);
    twoThreads.SetPixelsPerThread(1);
    for (const Command* c : commands) {
        const int w = IsHeavy(*c) ? 161 : 483;
        const int h = IsHeavy(*c) ? 203 : 609;
        const Render expected = Draw(*c, &scalar, w, h);
        const Render fast = Draw(*c, nullptr, w, h);
        EXPECT_TRUE(fast.picture == expected.picture) << c->caption << " default engine";
        EXPECT_EQ(fast.messagePoints, expected.messagePoints) << c->caption;
        EXPECT_EQ(fast.updates, expected.updates) << c->caption;
        EXPECT_EQ(fast.refreshes, expected.refreshes) << c->caption;
        EXPECT_TRUE(Draw(*c, &twoThreads, w, h).picture == expected.picture)
            << c->caption << " two threads";
    }
}

TEST(FastFigures, OddSmallSizesMatchReference) {
    ScalarEngine scalar;
    FastEngine fiveThreads(5);
    fiveThreads.SetPixelsPerThread(1);
    for (const Command* c : EscapeTimeCommands()) {
        for (auto [w, h] : {std::pair{1, 1}, {7, 3}, {97, 61}}) {
            const Render expected = Draw(*c, &scalar, w, h);
            EXPECT_TRUE(Draw(*c, &fiveThreads, w, h).picture == expected.picture)
                << c->caption << " at " << w << "x" << h;
        }
    }
}

// The workers compute ahead of the scan in a ring of blocks: with the
// window's blocks (the message interval) or, when nobody watches, larger
// ones; pictures wider than the ring reuse its places. Every figure, 1 to 3
// threads, the same pixels and message points as the reference.
TEST(FastFigures, ComputedAheadMatchesReference) {
    ScalarEngine scalar;
    for (const Command* c : EscapeTimeCommands()) {
        for (auto [w, h] : {std::pair{97, 61}, {300, 7}}) {
            const Render expected = Draw(*c, &scalar, w, h);
            for (int threads : {1, 2, 3}) {
                FastEngine fast(threads);
                fast.SetPixelsPerThread(1);
                for (bool watched : {true, false}) {
                    const Render actual = Draw(*c, &fast, w, h, 0, watched);
                    EXPECT_TRUE(actual.picture == expected.picture)
                        << c->caption << " at " << w << "x" << h << ", " << threads
                        << " threads, watched " << watched;
                    EXPECT_EQ(actual.messagePoints, expected.messagePoints) << c->caption;
                    EXPECT_EQ(actual.updates + actual.refreshes,
                              expected.updates + expected.refreshes)
                        << c->caption;
                }
            }
        }
    }
}

// Escape is seen at the same column boundary as with the reference: the
// columns before it complete, the others still clear.
TEST(FastFigures, EscapeStopsAtTheSameColumn) {
    ScalarEngine scalar;
    FastEngine fast(3);
    fast.SetPixelsPerThread(1);
    for (const Command* c : EscapeTimeCommands()) {
        const Render expected = Draw(*c, &scalar, 120, 90, 2);
        for (bool watched : {true, false}) {
            const Render actual = Draw(*c, &fast, 120, 90, 2, watched);
            EXPECT_TRUE(actual.picture == expected.picture) << c->caption << " " << watched;
            EXPECT_EQ(actual.messagePoints, expected.messagePoints) << c->caption;
        }
    }
    // Mandelbrot repaints every tenth column: stopped at the second message
    // point, columns 0..19 are drawn and column 20 on is white.
    const Command* m1 = FindCommand("m_1");
    ASSERT_NE(m1, nullptr);
    const Render r = Draw(*m1, &fast, 120, 90, 2);
    EXPECT_EQ(r.messagePoints, 2);
    int drawnInColumn19 = 0;
    for (int y = 0; y < 90; ++y) {
        drawnInColumn19 += r.picture.Get(19, y) != kWhite;
        EXPECT_EQ(r.picture.Get(20, y), kWhite) << "row " << y;
    }
    EXPECT_GT(drawnInColumn19, 0);
}

// Column 65536 is a range error that ends the scan part way: the fast engine
// has drawn the same columns and is ready for the next figure.
TEST(FastFigures, RangeErrorPartWayLeavesTheSameColumns) {
    const Command* m1 = FindCommand("m_1");
    ASSERT_NE(m1, nullptr);
    ScalarEngine scalar;
    FastEngine fast(2);
    fast.SetPixelsPerThread(1);
    HeadlessPlatform platform(65536, 1);
    Surface a(platform), b(platform);
    a.SetEngine(&scalar);
    b.SetEngine(&fast);
    EXPECT_THROW(RunFigure(a, *m1), RangeError);
    EXPECT_THROW(RunFigure(b, *m1), RangeError);
    EXPECT_TRUE(a.Picture() == b.Picture());
    EXPECT_TRUE(Draw(*m1, &fast, 50, 40).picture == Draw(*m1, &scalar, 50, 40).picture);
}

}  // namespace
}  // namespace galleri
