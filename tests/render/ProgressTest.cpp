#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <string_view>

#include "commands/Commands.h"
#include "commands/Descriptions.h"
#include "render/FigureList.h"
#include "render/Progress.h"

namespace galleri {
namespace {

TEST(ProgressLine, BarColumnsAndTime) {
    EXPECT_EQ(ProgressLine(0, 484, 0.0, 10), "[----------]  0/484 columns  0.0 s");
    EXPECT_EQ(ProgressLine(242, 484, 1.26, 10), "[#####-----]  242/484 columns  1.3 s");
    EXPECT_EQ(ProgressLine(483, 484, 9.0, 10), "[#########-]  483/484 columns  9.0 s");
    EXPECT_EQ(ProgressLine(484, 484, 12.04, 10), "[##########]  484/484 columns  12.0 s");
    // Out-of-range counts stay inside the bar.
    EXPECT_EQ(ProgressLine(999, 484, 1.0, 4), "[####]  484/484 columns  1.0 s");
    EXPECT_EQ(ProgressLine(-5, 484, 1.0, 4), "[----]  0/484 columns  1.0 s");
    // A very long scan does not overflow the bar arithmetic.
    EXPECT_EQ(ProgressLine(2000000000, 2000000001, 1.0, 4).substr(0, 6), "[###-]");
    // Figures without columns: only the time.
    EXPECT_EQ(ProgressLine(0, 0, 3.0, 10), "drawing  3.0 s");
}

TEST(ProgressMeter, SilentWhenNotATerminalAndAtFirst) {
    char* text = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    {
        ProgressMeter off(out, false);
        off.Columns(1, 2);
        ProgressMeter quiet(out, true);  // within its first half second
        quiet.Columns(1, 2);
        quiet.Tick();
    }
    std::fclose(out);
    EXPECT_EQ(size, 0u);
    std::free(text);
}

TEST(FigureList, EveryFigureOnceWithCaptionAndMenu) {
    const std::string list = FigureList();
    EXPECT_EQ(list.rfind("ITEM", 0), 0u);
    EXPECT_NE(list.find("VIEW  DEEP    WHAT IT SHOWS\n"), std::string::npos);
    std::istringstream lines(list);
    std::string line;
    std::getline(lines, line);  // header
    int figures = 0;
    for (const Command& c : Commands()) {
        if (c.kind != CommandKind::Figure) {
            EXPECT_EQ(list.find(c.item), std::string::npos) << c.item;
            continue;
        }
        ASSERT_TRUE(std::getline(lines, line));
        SCOPED_TRACE(line);
        EXPECT_EQ(line.rfind(std::string(c.item) + " ", 0), 0u);
        EXPECT_NE(line.find(std::string("  ") + c.caption + "  "), std::string::npos);
        EXPECT_EQ(line.find("not built yet") != std::string::npos, !c.Enabled());
        // Whether --view applies, how deep, and what the figure shows.
        EXPECT_NE(line.find(c.Plane() ? "  yes   " : "  no    -  "), std::string::npos);
        EXPECT_FALSE(Describe(c).empty());
        EXPECT_NE(line.find("  " + Describe(c)), std::string::npos);
        ++figures;
    }
    EXPECT_EQ(figures, 56);
    // Seven of the ten Julia dragons' sets are dust (their pictures are white).
    int dust = 0;
    for (const Command& c : Commands()) {
        dust += std::string_view(c.caption).starts_with("jd_") && JuliaSetIsDust(c) ? 1 : 0;
    }
    EXPECT_EQ(dust, 7);
    EXPECT_FALSE(JuliaSetIsDust(*FindCommand("jd_1")));
    EXPECT_FALSE(JuliaSetIsDust(*FindCommand("m_1")));
    EXPECT_FALSE(std::getline(lines, line));
    EXPECT_NE(list.find("m11                   m_1                   mandelbroot"),
              std::string::npos);
    EXPECT_NE(list.find("trd1                  träd                  strange attractor"),
              std::string::npos);
}

}  // namespace
}  // namespace galleri
