#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "colour/PaletteFiles.h"

namespace galleri {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = GALLERI_PALETTE_CORPUS;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The reader for a file's extension, called with the file's own name as the
// errors show it.
PaletteResult ParseByExtension(const std::string& text, const std::string& name) {
    const std::string ext = fs::path(name).extension().string();
    if (ext == ".map") return ParseMapPalette(text, name);
    if (ext == ".gpl") return ParseGplPalette(text, name);
    if (ext == ".ggr") return ParseGgrPalette(text, name);
    return ParseUgrPalette(text, name);
}

PaletteResult ParseCorpusFile(const std::string& name) {
    const fs::path path = kCorpus / fs::path(name).extension().string().substr(1) / name;
    return ParseByExtension(ReadFile(path), name);
}

struct BadFile {
    std::string name;
    std::string error;
};

const std::vector<BadFile> kBadFiles = {
    {"bad-range.map", "palette 'bad-range.map' line 3: expected three numbers 0 to 255"},
    {"bad-short.map", "palette 'bad-short.map' line 2: expected three numbers 0 to 255"},
    {"bad-word.map", "palette 'bad-word.map' line 1: expected three numbers 0 to 255"},
    {"bad-empty.map", "palette 'bad-empty.map': no colours"},
    {"bad-header.gpl", "palette 'bad-header.gpl' line 1: expected the header 'GIMP Palette'"},
    {"bad-colour.gpl",
     "palette 'bad-colour.gpl' line 4: expected three numbers 0 to 255 and an optional name"},
    {"bad-no-colours.gpl", "palette 'bad-no-colours.gpl': no colours"},
    {"bad-hsv.ggr",
     "palette 'bad-hsv.ggr' line 4: HSV segments are not supported, only RGB (colour type 0)"},
    {"bad-gap.ggr",
     "palette 'bad-gap.ggr' line 5: the segment must start where the one before ends"},
    {"bad-count.ggr", "palette 'bad-count.ggr' line 4: the file ends after 2 of 3 segments"},
    {"bad-range.ggr", "palette 'bad-range.ggr' line 3: number 1.500000 outside 0 to 1"},
    {"bad-colour.ugr",
     "palette 'bad-colour.ugr' line 4: expected color= a whole number 0 to 16777215, not "
     "'16777216'"},
    {"bad-open.ugr", "palette 'bad-open.ugr' line 2: the entry 'open' is not closed by '}'"},
    {"bad-index.ugr",
     "palette 'bad-index.ugr' line 3: expected index= a whole number 0 to 399, not '400'"},
    {"bad-no-colours.ugr",
     "palette 'bad-no-colours.ugr' line 1: the gradient 'empty' has no colours"},
};

struct GoodFile {
    std::string name;
    std::string paletteName;
    size_t stops;
    // Stops checked one by one: index into the stops, and the stop.
    std::vector<std::pair<size_t, Stop>> some;
};

const std::vector<GoodFile> kGoodFiles = {
    {"good-three.map",
     "good-three",
     3,
     {{0, {0.0, {0, 0, 0}}}, {1, {1.0 / 3, {255, 128, 0}}}, {2, {2.0 / 3, {10, 20, 30}}}}},
    {"good-crlf.map", "good-crlf", 2, {{0, {0.0, {0, 0, 0}}}, {1, {0.5, {255, 255, 255}}}}},
    {"good-swatches.gpl",
     "Swatches",
     3,
     {{0, {0.0, {255, 0, 0}}}, {1, {1.0 / 3, {0, 255, 0}}}, {2, {2.0 / 3, {0, 0, 255}}}}},
    // Seventeen samples of the linear segment, then the step's edge at its
    // middle point, both sides, and its right end.
    {"good-two.ggr",
     "Red, blue and a step to white",
     20,
     {{0, {0.0, {255, 0, 0}}},
      {8, {0.25, {128, 0, 128}}},
      {16, {0.5, {0, 0, 255}}},
      {17, {0.75, {0, 0, 255}}},
      {18, {0.75, {255, 255, 255}}},
      {19, {1.0, {255, 255, 255}}}}},
    // Curved and sine segments hold the half-way grey at their middle point;
    // the spheres are sqrt(3) / 2 of the way from the bright end there.
    {"good-curves.ggr",
     "good-curves",
     65,
     {{0, {0.0, {0, 0, 0}}},
      {16, {0.25, {255, 255, 255}}},
      {24, {0.375, {128, 128, 128}}},
      {40, {0.625, {221, 221, 221}}},
      {56, {0.875, {221, 221, 221}}},
      {64, {1.0, {0, 0, 0}}}}},
    // Ultra Fractal's colours are blue in the high byte: 16711680 is blue.
    {"good-two.ugr", "Blue to red", 2, {{0, {0.0, {0, 0, 255}}}, {1, {0.5, {255, 0, 0}}}}},
};

TEST(PaletteFiles, EachBadFileSaysWhyInOneLine) {
    for (const BadFile& f : kBadFiles) {
        const PaletteResult r = ParseCorpusFile(f.name);
        EXPECT_FALSE(r) << f.name;
        EXPECT_EQ(r.error, f.error);
        EXPECT_EQ(r.error.find('\n'), std::string::npos);
    }
}

TEST(PaletteFiles, EachGoodFileGivesItsStops) {
    for (const GoodFile& f : kGoodFiles) {
        const PaletteResult r = ParseCorpusFile(f.name);
        ASSERT_TRUE(r) << f.name << ": " << r.error;
        EXPECT_EQ(r.palette->name, f.paletteName) << f.name;
        ASSERT_EQ(r.palette->stops.size(), f.stops) << f.name;
        for (const auto& [i, stop] : f.some) {
            EXPECT_NEAR(r.palette->stops[i].position, stop.position, 1e-12) << f.name << " " << i;
            EXPECT_EQ(r.palette->stops[i].colour, stop.colour) << f.name << " " << i;
        }
        for (size_t i = 1; i < r.palette->stops.size(); ++i) {
            EXPECT_LE(r.palette->stops[i - 1].position, r.palette->stops[i].position) << f.name;
        }
    }
}

TEST(PaletteFiles, EveryCorpusFileIsInATable) {
    std::set<std::string> known;
    for (const BadFile& f : kBadFiles) known.insert(f.name);
    for (const GoodFile& f : kGoodFiles) known.insert(f.name);
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kCorpus)) {
        if (entry.is_regular_file()) {
            ++files;
            EXPECT_TRUE(known.count(entry.path().filename().string())) << entry.path();
        }
    }
    EXPECT_EQ(files, known.size());
}

TEST(PaletteFiles, LinesAndLimitsInText) {
    std::string map256;
    for (int i = 0; i < 256; ++i) map256 += "1 2 3\n";
    struct Case {
        std::function<PaletteResult(std::string_view, std::string_view)> parse;
        std::string text;
        std::string error;  // empty: parses
    };
    const auto map = ParseMapPalette;
    const auto gpl = ParseGplPalette;
    const auto ggr = ParseGgrPalette;
    const auto ugr = [](std::string_view t, std::string_view n) { return ParseUgrPalette(t, n); };
    const std::vector<Case> cases = {
        {map, map256, ""},
        {map, map256 + "\n4 5 6\n", "palette 'f' line 258: more than 256 colours"},
        {map, "-1 0 0\n", "palette 'f' line 1: expected three numbers 0 to 255"},
        {map,
         "\xEF\xBB\xBF"
         "1 2 3\n",
         ""},
        {gpl, "GIMP Palette\r\nName: r\r\n1 2 3\r\n", ""},
        {gpl, "", "palette 'f' line 1: expected the header 'GIMP Palette'"},
        {ggr, "GIMP Gradient\nName: x\n",
         "palette 'f' line 2: the file ends before the number of segments"},
        {ggr, "GIMP Gradient\n0\n",
         "palette 'f' line 2: expected the number of segments, 1 to 1000"},
        {ggr, "GIMP Gradient\n1\n0 0.5 1 0 0 0 1 1 1 1 1 6 0\n",
         "palette 'f' line 3: unknown blend type 6 (0 to 5)"},
        {ggr, "GIMP Gradient\n1\n0 0.5 1 0 0 0 1 1 1 1 1 0 3\n",
         "palette 'f' line 3: unknown colour type 3"},
        {ggr, "GIMP Gradient\n1\n0 0.5 0.9 0 0 0 1 1 1 1 1 0 0\n",
         "palette 'f' line 3: the last segment must end at 1"},
        {ggr, "GIMP Gradient\n1\n0.1 0.5 1 0 0 0 1 1 1 1 1 0 0\n",
         "palette 'f' line 3: the first segment must start at 0"},
        {ggr, "GIMP Gradient\n1\n0 0.7 0.6 0 0 0 1 1 1 1 1 0 0\n",
         "palette 'f' line 3: the segment's middle must lie between its left and right ends"},
        {ggr, "GIMP Gradient\n1\n0 0.5 1 0 0 0 1 1 1 1 1 0 0\nextra\n",
         "palette 'f' line 4: more segments than the 1 the file announces"},
        {ggr, "GIMP Gradient\n1\n0 0.5 1 0 0 0 1 1 1 nan 1 0 0\n",
         "palette 'f' line 3: expected a number 0 to 1, not 'nan'"},
        {ggr, "GIMP Gradient\n1\n0 0.5 1 0 0 0 1 1 1 1\n",
         "palette 'f' line 3: expected a segment: left, middle and right, two RGBA colours, the "
         "blend type and the colour type"},
        // A segment that starts a hair before the last one ends.
        {ggr,
         "GIMP Gradient\n2\n0 0.25 0.5 0 0 0 1 1 1 1 1 0 0\n0.4999995 0.4999995 1 0 0 0 1 1 1 1 1 "
         "0 0\n",
         ""},
        {ugr, "a {\ngradient: index=0 color=0 index=5\n}\n",
         "palette 'f' line 2: index= without color= after it"},
        {ugr, "a {\ngradient: color=0\n}\n",
         "palette 'f' line 2: color= without an index= before it"},
        {ugr, "a {\ngradient: index=1 index=2 color=0\n}\n",
         "palette 'f' line 2: index= follows an index= without color="},
        {ugr, "a {\ngradient: title=\"open\n}\n",
         "palette 'f' line 2: a quote is not closed on its line"},
        {ugr, "}\n", "palette 'f' line 1: '}' without '{' before it"},
        {ugr, "a { b { } }\n", "palette 'f' line 1: '{' inside the entry 'a'"},
        {ugr, "just words\n", "palette 'f' line 1: expected '{' after the gradient's name"},
        {ugr, "{ }\n", "palette 'f' line 1: expected a name before '{'"},
        {ugr, "a {\ngradient: stray\n}\n", "palette 'f' line 2: expected key=value, not 'stray'"},
        {ugr, "; nothing here\n", "palette 'f': no gradient"},
        // Other sections' words are not the gradient's.
        {ugr, "a {\nfractal: stray\ngradient: index=0 color=1 ; a comment\n}\n", ""},
    };
    for (const Case& c : cases) {
        const PaletteResult r = c.parse(c.text, "f");
        EXPECT_EQ(r.error, c.error) << c.text;
        EXPECT_EQ(static_cast<bool>(r), c.error.empty()) << c.text;
        for (size_t i = 1; r && i < r.palette->stops.size(); ++i) {
            EXPECT_LE(r.palette->stops[i - 1].position, r.palette->stops[i].position) << c.text;
        }
    }
}

TEST(PaletteFiles, UgrGradientChosenByName) {
    const std::string text = ReadFile(kCorpus / "ugr" / "good-two.ugr");
    const PaletteResult second = ParseUgrPalette(text, "good-two.ugr", "second");
    ASSERT_TRUE(second) << second.error;
    // No title: the entry's name. Stops sorted by index.
    EXPECT_EQ(second.palette->name, "second");
    ASSERT_EQ(second.palette->stops.size(), 2u);
    EXPECT_EQ(second.palette->stops[0], (Stop{0.0, {0, 0, 0}}));
    EXPECT_EQ(second.palette->stops[1], (Stop{0.25, {0, 255, 0}}));
    EXPECT_EQ(ParseUgrPalette(text, "good-two.ugr", "third\n").error,
              "palette 'good-two.ugr': no gradient named 'third\\n'");
}

TEST(PaletteFiles, LoadPaletteByExtension) {
    const std::string ugr = (kCorpus / "ugr" / "good-two.ugr").string();
    struct Case {
        std::string path;
        std::optional<std::string_view> name;
        std::string paletteName;  // empty: an error
        std::string error;
    };
    const std::string missing = (kCorpus / "no-such.map").string();
    const std::vector<Case> cases = {
        {(kCorpus / "map" / "good-three.map").string(), std::nullopt, "good-three", ""},
        {(kCorpus / "gpl" / "good-swatches.gpl").string(), std::nullopt, "Swatches", ""},
        {(kCorpus / "ggr" / "good-two.ggr").string(), std::nullopt, "Red, blue and a step to white",
         ""},
        {ugr, std::nullopt, "Blue to red", ""},
        {ugr, "second", "second", ""},
        {missing, std::nullopt, "",
         "palette '" + missing + "': cannot read it: No such file or directory"},
        {"palette.txt", std::nullopt, "",
         "palette 'palette.txt': unknown kind of palette file; expected .map, .gpl, .ggr or .ugr"},
        {(kCorpus / "map" / "good-three.map").string(), "x", "",
         "palette '" + (kCorpus / "map" / "good-three.map").string() +
             "': only a .ugr file holds gradients to choose by name"},
    };
    for (const Case& c : cases) {
        const PaletteResult r = LoadPalette(c.path, c.name);
        EXPECT_EQ(r.error, c.error) << c.path;
        if (c.error.empty()) {
            ASSERT_TRUE(r) << c.path;
            EXPECT_EQ(r.palette->name, c.paletteName);
        }
    }
}

TEST(PaletteFiles, LoadPaletteRefusesFilesTooLargeOrUnreadable) {
    const fs::path dir = fs::temp_directory_path() / "galleri-palette-test";
    fs::create_directories(dir);
    const fs::path big = dir / "BIG.MAP";
    {
        std::ofstream out(big, std::ios::binary);
        out << std::string(kMaxPaletteFileBytes + 1, ' ');
    }
    EXPECT_EQ(LoadPalette(big.string()).error,
              "palette '" + big.string() + "': larger than the 4 MB a palette file may have");
    const fs::path folder = dir / "folder.gpl";
    fs::create_directories(folder);
    EXPECT_EQ(LoadPalette(folder.string()).error,
              "palette '" + folder.string() + "': cannot read it: Is a directory");
    fs::remove_all(dir);
}

}  // namespace
}  // namespace galleri
