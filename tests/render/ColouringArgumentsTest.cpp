// galleri-render's colouring options: every choice reads back from the text
// a picture records, and every bad one is a one-line usage error.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "colour/BuiltinPalettes.h"
#include "colour/PaletteChecksum.h"
#include "colour/PaletteFiles.h"
#include "render/Arguments.h"
#include "render/FigureList.h"
#include "view/ArgumentWords.h"
#include "view/ColouringText.h"

namespace galleri {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

const fs::path kCorpus = GALLERI_PALETTE_CORPUS;

std::string Corpus(const char* name) {
    return (kCorpus / name).string();
}

std::string Checksum(const std::string& file, const char* gradient = nullptr) {
    const PaletteResult r =
        gradient ? LoadPalette(file, std::string_view(gradient)) : LoadPalette(file);
    EXPECT_TRUE(r) << r.error;
    return r ? PaletteChecksumText(r.palette->stops) : "";
}

std::string Copy(const std::string& from, const std::string& name) {
    const fs::path to = fs::path(::testing::TempDir()) / name;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    return to.string();
}

// Each choice gives the text it records, which draws the same: the same
// colouring and the same palette.
TEST(ColouringArguments, EveryChoiceRedrawsFromItsText) {
    const std::string map = Corpus("map/good-three.map");
    const std::string ggr = Corpus("ggr/good-two.ggr");
    const std::string gpl = Corpus("gpl/good-swatches.gpl");
    const std::string ugr = Corpus("ugr/good-two.ugr");
    const std::string spaced = Copy(map, "my palette's colours.map");
    struct Case {
        Args options;
        std::string text;
    };
    const std::vector<Case> cases = {
        {{}, ""},
        {{"--colouring", "preset"}, ""},
        {{"--colouring", "smooth"}, "--colouring smooth"},
        {{"--palette", "fire"}, "--colouring smooth --palette fire"},
        {{"--colouring=smooth", "--palette", "classic", "--density", "20", "--offset", "0"},
         "--colouring smooth"},
        {{"--density", "7.5", "--offset", "-0.25"},
         "--colouring smooth --density 7.5 --offset -0.25"},
        {{"--offset=0.1", "--palette=rainbow"},
         "--colouring smooth --palette rainbow --offset 0.1"},
        {{"--density", "1e-3"}, "--colouring smooth --density 0.001"},
        {{"--palette", map},
         "--colouring smooth --palette " + map + " --palette-checksum " + Checksum(map)},
        {{"--palette", ggr, "--palette-checksum", Checksum(ggr)},
         "--colouring smooth --palette " + ggr + " --palette-checksum " + Checksum(ggr)},
        {{"--palette", gpl, "--density", "3"},
         "--colouring smooth --palette " + gpl + " --palette-checksum " + Checksum(gpl) +
             " --density 3"},
        {{"--palette", ugr},
         "--colouring smooth --palette " + ugr + " --palette-checksum " + Checksum(ugr)},
        {{"--palette", ugr + ":second"},
         "--colouring smooth --palette " + ugr + ":second --palette-checksum " +
             Checksum(ugr, "second")},
        {{"--palette", spaced},
         "--colouring smooth --palette " + QuoteArgument(spaced) + " --palette-checksum " +
             Checksum(spaced)},
        {{"--supersample", "1"}, ""},
        {{"--supersample", "3"}, "--supersample 3"},
        {{"--supersample=8", "--palette", "fire"},
         "--colouring smooth --palette fire --supersample 8"},
    };
    for (const Case& c : cases) {
        Args args = c.options;
        args.push_back("m11");
        const ParseResult first = ParseArguments(args);
        ASSERT_TRUE(first.Ok()) << first.error;
        const std::string text = ColouringArguments(first.request.colouring);
        EXPECT_EQ(text, c.text);
        Args again = SplitArguments(text);
        again.push_back("m11");
        const ParseResult second = ParseArguments(again);
        ASSERT_TRUE(second.Ok()) << second.error;
        EXPECT_EQ(second.request.colouring, first.request.colouring) << text;
        EXPECT_EQ(second.request.paletteStops, first.request.paletteStops) << text;
        EXPECT_EQ(first.request.paletteStops.empty(), !first.request.colouring.smooth) << text;
    }
    EXPECT_NE(Checksum(ugr), Checksum(ugr, "second"));
}

TEST(ColouringArguments, BadChoicesAreOneLineUsageErrors) {
    const std::string changed = Copy(Corpus("map/good-three.map"), "changed.map");
    const std::string recorded = Checksum(changed);
    FILE* f = std::fopen(changed.c_str(), "ab");
    std::fputs("1 2 3\n", f);
    std::fclose(f);
    const std::vector<std::pair<Args, std::string>> bad = {
        {{"--colouring", "fancy", "m11"}, "unknown colouring 'fancy': expected preset or smooth"},
        {{"--density", "0", "m11"}, "bad density '0'"},
        {{"--density", "-2", "m11"}, "bad density"},
        {{"--density", "inf", "m11"}, "bad density"},
        {{"--density", "nan", "m11"}, "bad density"},
        {{"--density", "2x", "m11"}, "bad density"},
        {{"--offset", "", "m11"}, "bad offset"},
        {{"--offset", "1e999", "m11"}, "bad offset"},
        {{"--palette", "", "m11"}, "the palette is empty"},
        {{"--palette", "fier", "m11"},
         "unknown palette 'fier', perhaps fire; see "
         "galleri-render --list-palettes"},
        {{"--palette", "Ocean", "m11"}, "perhaps ocean"},
        {{"--palette", Corpus("map/bad-range.map"), "m11"}, "bad-range.map' line 3"},
        {{"--palette", Corpus("ggr/bad-count.ggr"), "m11"}, "bad-count.ggr' line"},
        {{"--palette", Corpus("ugr/good-two.ugr") + ":third", "m11"}, "good-two.ugr'"},
        {{"--palette", "/no/such/palette.map", "m11"}, "'/no/such/palette.map': cannot read"},
        {{"--palette", changed, "--palette-checksum", recorded, "m11"},
         "is not the one the picture was drawn with"},
        {{"--palette", "fire", "--palette-checksum", recorded, "m11"}, "'fire' is built in"},
        {{"--palette-checksum", "12345", "m11"}, "bad palette checksum '12345'"},
        {{"--colouring", "preset", "--palette", "fire", "m11"},
         "--palette is for the smooth colouring, and --colouring preset is given"},
        {{"--colouring", "preset", "--offset", "1", "m11"}, "--offset is for the smooth"},
        {{"--colouring", "smooth", "lorenz_1"},
         "--colouring smooth is for the figures of the plane, and 'lorenz_1' keeps its own"},
        {{"--density", "5", "trd1"}, "--density is for the figures of the plane"},
        {{"--palette", "ice", "sierpinski triangle"}, "--palette is for the figures of the plane"},
        {{"--supersample", "0", "m11"}, "bad supersample '0'"},
        {{"--supersample", "9", "m11"}, "bad supersample '9'"},
        {{"--supersample", "2.5", "m11"}, "bad supersample '2.5'"},
        {{"--supersample", "2", "lorenz_1"}, "--supersample is for the figures of the plane"},
        {{"--list-palettes", "m11"}, "--list-palettes takes no figure"},
    };
    for (const auto& [args, mentions] : bad) {
        SCOPED_TRACE(args[1]);
        const ParseResult r = ParseArguments(args);
        ASSERT_FALSE(r.Ok());
        EXPECT_EQ(r.status, kExitUsage);
        EXPECT_EQ(r.error.find('\n'), std::string::npos) << r.error;
        EXPECT_EQ(r.error.rfind("galleri-render: ", 0), 0u) << r.error;
        EXPECT_NE(r.error.find("; see galleri-render --"), std::string::npos) << r.error;
        EXPECT_NE(r.error.find(mentions), std::string::npos) << r.error;
    }
    // The preset colouring is every figure's own.
    EXPECT_TRUE(ParseArguments(Args{"--colouring", "preset", "lorenz_1"}).Ok());
}

TEST(ColouringArguments, ListOfPalettesNamesEachBuiltInOne) {
    EXPECT_EQ(ParseArguments(Args{"--list-palettes"}).request.action, Action::ListPalettes);
    const std::string list = PaletteList();
    for (const BuiltinPalette& p : BuiltinPalettes()) {
        EXPECT_NE(list.find("\n" + p.palette.name + " "), std::string::npos) << p.palette.name;
        EXPECT_NE(list.find(p.description), std::string::npos) << p.palette.name;
    }
}

}  // namespace
}  // namespace galleri
