#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "commands/Commands.h"
#include "render/Arguments.h"

namespace galleri {
namespace {

using Args = std::vector<std::string>;

// A usage error: status 2 and one line that says where to read on (the
// figures' list for a figure's errors, the help for the others).
void ExpectUsageError(const Args& args, const std::string& mentions = "") {
    std::string shown;
    for (const std::string& a : args) {
        shown += "[" + a + "] ";
    }
    SCOPED_TRACE(shown);
    const ParseResult r = ParseArguments(args);
    ASSERT_FALSE(r.Ok());
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_EQ(r.error.find('\n'), std::string::npos) << r.error;
    EXPECT_EQ(r.error.rfind("galleri-render: ", 0), 0u) << r.error;
    EXPECT_TRUE(r.error.ends_with("; see galleri-render --help") ||
                r.error.ends_with("; see galleri-render --list for the figures"))
        << r.error;
    EXPECT_NE(r.error.find(mentions), std::string::npos) << r.error;
}

TEST(ParseArguments, FigureByItemOrCaptionWithDefaults) {
    for (const char* name : {"m11", "m_1"}) {
        const ParseResult r = ParseArguments(Args{name});
        ASSERT_TRUE(r.Ok()) << r.error;
        EXPECT_EQ(r.request.action, Action::Render);
        ASSERT_NE(r.request.figure, nullptr);
        EXPECT_STREQ(r.request.figure->item, "m11");
        EXPECT_EQ(r.request.width, 483);
        EXPECT_EQ(r.request.height, 609);
        EXPECT_EQ(r.request.output, "m11.png");
    }
}

TEST(ParseArguments, SizeAndOutputInEveryForm) {
    struct Case {
        Args args;
        int width, height;
        std::string output;
    };
    const std::vector<Case> cases = {
        {{"--size", "10x20", "m21"}, 10, 20, "m21.png"},
        {{"--size=10x20", "m21"}, 10, 20, "m21.png"},
        {{"-s", "10X20", "m21"}, 10, 20, "m21.png"},
        {{"m21", "-s", "1x1"}, 1, 1, "m21.png"},
        {{"-s", "0010x05", "m21"}, 10, 5, "m21.png"},
        {{"-s", "65535x1", "m21"}, 65535, 1, "m21.png"},
        {{"-s", "1x65535", "m21"}, 1, 65535, "m21.png"},
        {{"-s", "65535x65535", "m21"}, 65535, 65535, "m21.png"},
        {{"-s", "11585x11585", "m21"}, 11585, 11585, "m21.png"},
        {{"-o", "a.jpg", "m21"}, 483, 609, "a.jpg"},
        {{"--output=dir/b.bmp", "m21"}, 483, 609, "dir/b.bmp"},
        {{"--output", "-x.png", "m21"}, 483, 609, "-x.png"},
        {{"-s", "3x4", "-s", "5x6", "m21"}, 5, 6, "m21.png"},  // the last one counts
        {{"--", "m21"}, 483, 609, "m21.png"},
    };
    for (const Case& c : cases) {
        const ParseResult r = ParseArguments(c.args);
        ASSERT_TRUE(r.Ok()) << r.error;
        EXPECT_STREQ(r.request.figure->item, "m21");
        EXPECT_EQ(r.request.width, c.width);
        EXPECT_EQ(r.request.height, c.height);
        EXPECT_EQ(r.request.output, c.output);
    }
}

TEST(ParseArguments, ListAndHelp) {
    EXPECT_EQ(ParseArguments(Args{"--list"}).request.action, Action::List);
    EXPECT_EQ(ParseArguments(Args{"-l"}).request.action, Action::List);
    EXPECT_EQ(ParseArguments(Args{"--help"}).request.action, Action::Help);
    EXPECT_EQ(ParseArguments(Args{"-h"}).request.action, Action::Help);
    // Help wins over everything after it, so it is always reachable.
    EXPECT_EQ(ParseArguments(Args{"--help", "bogus", "--list"}).request.action, Action::Help);
    EXPECT_EQ(ParseArguments(Args{"--list", "--size", "5x5"}).request.action, Action::List);
    ExpectUsageError({"--list", "m11"}, "takes no figure");
}

TEST(ParseArguments, MalformedSizes) {
    for (const char* size : {"0x5",
                             "5x0",
                             "0x0",
                             "-3x4",
                             "3x-4",
                             "10",
                             "99999999x2",
                             "65536x1",
                             "65537x1",
                             "1x65536",
                             "134217728x1",
                             "axb",
                             "x",
                             "5x",
                             "x5",
                             "5x5x5",
                             " 5x5",
                             "5x5 ",
                             "5 x5",
                             "+5x5",
                             "2147483648x1",
                             "1x2147483648",
                             "2147483647x1",
                             "1e3x5",
                             "0x10x5",
                             "",
                             "５x5",
                             "5\xC3\x97"
                             "5",
                             "99999999999999999999x1",
                             "3.5x4"}) {
        ExpectUsageError({"--size", size, "m11"}, "bad size");
    }
}

TEST(ParseArguments, MissingValuesAndUnknownOptions) {
    ExpectUsageError({"--size"}, "needs a value");
    ExpectUsageError({"m11", "--size"}, "needs a value");
    ExpectUsageError({"m11", "-s"}, "needs a value");
    ExpectUsageError({"m11", "--output"}, "needs a value");
    ExpectUsageError({"m11", "-o"}, "needs a value");
    ExpectUsageError({"m11", "--output="}, "empty");
    ExpectUsageError({"m11", "--output", ""}, "empty");
    ExpectUsageError({"--frob", "m11"}, "unknown option '--frob'");
    ExpectUsageError({"-x", "m11"}, "unknown option");
    ExpectUsageError({"-s10x10", "m11"}, "unknown option");
    ExpectUsageError({"--sizes=1x1", "m11"}, "unknown option");
    ExpectUsageError({"---size", "1x1", "m11"}, "unknown option");
    ExpectUsageError({"--list=3"}, "takes no value");
    ExpectUsageError({"--"}, "no figure");
}

TEST(ParseArguments, FiguresThatCannotBeDrawn) {
    ExpectUsageError({}, "no figure");
    ExpectUsageError({"bogus"}, "unknown figure 'bogus'");
    ExpectUsageError({"M11"}, "unknown figure");
    ExpectUsageError({"-"}, "unknown figure");
    ExpectUsageError({""}, "unknown figure");
    ExpectUsageError({"mandelbroot1"}, "unknown figure");  // a menu, not a command
    ExpectUsageError({"spara bild"}, "not a figure");
    ExpectUsageError({"sparabild1"}, "not a figure");
    ExpectUsageError({"m11", "m21"}, "more than one figure");
    ExpectUsageError({"--", "m11", "--size"}, "more than one figure");
    // Control characters from the command line do not reach the terminal.
    const ParseResult r = ParseArguments(Args{"\x1b[2Jx\n"});
    EXPECT_EQ(r.error.find('\x1b'), std::string::npos);
    EXPECT_EQ(r.error.find('\n'), std::string::npos);
    for (const Command& c : Commands()) {
        if (c.kind == CommandKind::Figure && !c.Enabled()) {
            ExpectUsageError({c.item}, "not built yet");
        }
    }
}

TEST(ParseArguments, EveryEnabledFigureCanBeNamedBothWays) {
    for (const Command& c : Commands()) {
        if (c.kind != CommandKind::Figure || !c.Enabled()) {
            continue;
        }
        for (const char* name : {c.item, c.caption}) {
            const ParseResult r = ParseArguments(Args{name});
            ASSERT_TRUE(r.Ok()) << name << ": " << r.error;
            EXPECT_EQ(r.request.figure, &c);
            EXPECT_EQ(r.request.output, std::string(c.item) + ".png");
        }
    }
}

TEST(ParseArguments, EngineAndThreads) {
    ParseResult r = ParseArguments(Args{"m51"});
    ASSERT_TRUE(r.Ok());
    EXPECT_FALSE(r.request.scalarEngine);
    EXPECT_EQ(r.request.threads, 0);
    r = ParseArguments(Args{"--engine", "scalar", "-t", "3", "m51"});
    ASSERT_TRUE(r.Ok()) << r.error;
    EXPECT_TRUE(r.request.scalarEngine);
    EXPECT_EQ(r.request.threads, 3);
    r = ParseArguments(Args{"--engine=fast", "--threads=1024", "m51"});
    ASSERT_TRUE(r.Ok()) << r.error;
    EXPECT_FALSE(r.request.scalarEngine);
    EXPECT_EQ(r.request.threads, 1024);
    ExpectUsageError({"--engine", "turbo", "m51"}, "unknown engine 'turbo'");
    ExpectUsageError({"--threads", "0", "m51"}, "bad thread count '0'");
    ExpectUsageError({"--threads", "1025", "m51"}, "bad thread count");
    ExpectUsageError({"-t", "-2", "m51"}, "bad thread count");
    ExpectUsageError({"m51", "--threads"}, "");
}

// --view: both forms of a negative first number, and everything that is not
// four finite numbers of a figure of the plane.
TEST(ParseArguments, ViewOfAFigureOfThePlane) {
    const PlaneRect expected{-0.75, -0.74, 0.1, 0.11};
    for (const Args& args :
         {Args{"--view", "-0.75,-0.74,0.1,0.11", "m11"}, Args{"--view=-0.75,-0.74,0.1,0.11", "m_1"},
          Args{"m11", "--view", "-7.5e-1,-0.74,1e-1,0.11"}}) {
        const ParseResult r = ParseArguments(args);
        ASSERT_TRUE(r.Ok()) << r.error;
        ASSERT_TRUE(r.request.view);
        EXPECT_TRUE(SameRect(*r.request.view, expected));
    }
    EXPECT_FALSE(ParseArguments(Args{"m11"}).request.view);
    // Mirrored rectangles, as "m_13" has, are views too.
    EXPECT_TRUE(ParseArguments(Args{"--view", "1,-1,1,-1", "binary decomposition"}).Ok());

    const std::vector<std::pair<Args, std::string>> bad = {
        {{"--view", "0,1,0,1", "trd1"}, "not one"},
        {{"--view", "0,1,0,1", "lorenz_1"}, "figure of the plane"},
        {{"--view", "0,1,0", "m11"}, "bad view '0,1,0'"},
        {{"--view", "0,1,0,1,2", "m11"}, "bad view"},
        {{"--view", "0,1,0,nan", "m11"}, "bad view"},
        {{"--view", "0,inf,0,1", "m11"}, "bad view"},
        {{"--view", "0,1e999,0,1", "m11"}, "bad view"},
        {{"--view", "1,1,0,1", "m11"}, "LEFT and RIGHT"},
        {{"--view", "0,1,2,2", "m11"}, "BOTTOM and TOP"},
        {{"--view", "0, 1,0,1", "m11"}, "bad view"},
        {{"--view", "", "m11"}, "bad view"},
        {{"--view=0;1;0;1", "m11"}, "bad view"},
        {{"m11", "--view"}, "needs a value"},
    };
    for (const auto& [args, mentions] : bad) {
        ExpectUsageError(args, mentions);
    }
}

// A view that doubles draw without blocks stays a double view, whatever its
// digits; one past them is deep. --iterations gives a budget of 1 to 10^9
// to a figure of the plane.
TEST(ParseArguments, DeepViewsAndIterations) {
    struct Case {
        Args args;
        bool doubles;
        bool deep;
    };
    const std::string deep =
        "-0.74364388703715870475219150611477,-0.74364388703715870475219150611475,"
        "0.13182590420531197049313205638512,0.13182590420531197049313205638514";
    for (const Case& c : {
             Case{{"--view", "-0.75,-0.74,0.1,0.11", "m11"}, true, false},
             Case{{"--view", "-0.7500000000000000000000001,-0.74,0.1,0.11", "m11"}, true, false},
             Case{{"--view", "0,1e-20,0,1e-20", "m11"}, true, false},  // doubles are fine near 0
             Case{{"--view", "1,1.00000000000000000001,0,1e-20", "m11"}, false, true},
             Case{{"--view", deep, "-s", "64x48", "j11"}, false, true},
             Case{{"--view", deep, "binary decomposition"}, false, true},
         }) {
        const ParseResult r = ParseArguments(c.args);
        ASSERT_TRUE(r.Ok()) << r.error;
        EXPECT_EQ(r.request.view.has_value(), c.doubles) << c.args[1];
        EXPECT_EQ(r.request.deepView.has_value(), c.deep) << c.args[1];
    }
    const ParseResult r = ParseArguments(Args{"--iterations", "40000", "m11"});
    ASSERT_TRUE(r.Ok()) << r.error;
    EXPECT_EQ(r.request.iterations, 40000);
    EXPECT_EQ(ParseArguments(Args{"-i", "1000000000", "m11"}).request.iterations, 1000000000);

    const std::vector<std::pair<Args, std::string>> bad = {
        {{"--iterations", "0", "m11"}, "bad iteration count '0'"},
        {{"--iterations", "-5", "m11"}, "bad iteration count"},
        {{"--iterations", "1000000001", "m11"}, "1 to 1000000000"},
        {{"--iterations", "12x", "m11"}, "bad iteration count"},
        {{"--iterations", "500", "trd1"}, "--iterations needs a figure of the plane"},
        {{"--view", "0,1e-20,x,1e-20", "m11"}, "'x' is not a number"},
        {{"--view", "0,1e-20,0,1e99999999999", "m11"}, "bad view"},
    };
    for (const auto& [args, mentions] : bad) {
        ExpectUsageError(args, mentions);
    }
}

// --location draws a location file's view of a Mandelbrot figure, with the
// file's iterations unless --iterations gives others.
TEST(ParseArguments, LocationFiles) {
    const std::string folder = ::testing::TempDir();
    const auto write = [&folder](const std::string& name, const std::string& text) {
        const std::string path = folder + "/" + name;
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        return path;
    };
    const std::string deep = write("deep.kfr",
                                   "Re: -0.743643887037158704752191506114774\r\n"
                                   "Im: 0.131825904205311970493132056385139\r\n"
                                   "Zoom: 1E22\r\nIterations: 8000\r\n");
    const std::string shallow = write("shallow.kfr", "Re: -0.75\nIm: 0.1\nZoom: 10\n");
    ParseResult r = ParseArguments(Args{"--location", deep, "m11"});
    ASSERT_TRUE(r.Ok()) << r.error;
    EXPECT_TRUE(r.request.deepView);
    EXPECT_EQ(r.request.iterations, 8000);
    r = ParseArguments(Args{"--location", deep, "-i", "500", "m_5"});
    EXPECT_EQ(r.request.iterations, 500);
    r = ParseArguments(Args{"-s", "100x50", "--location", shallow, "m11"});
    ASSERT_TRUE(r.Ok()) << r.error;
    ASSERT_TRUE(r.request.view);
    EXPECT_FALSE(r.request.iterations);
    // Half the height is 2/zoom: 0.2 of a 100x50 picture, so 0.4 across.
    EXPECT_DOUBLE_EQ(r.request.view->right - r.request.view->left, 0.8);

    const std::string bad = write("bad.kfr", "Re: -0.75\nIm: 0.1\nZoom: -3\n");
    for (const auto& [args, mentions] : std::vector<std::pair<Args, std::string>>{
             {{"--location", bad, "m11"}, "bad location file"},
             {{"--location", folder + "/none.kfr", "m11"}, "cannot read the location file"},
             {{"--location", deep, "j11"}, "needs one of the Mandelbrot figures"},
             {{"--location", deep, "--view", "0,1,0,1", "m11"}, "give one"},
         }) {
        ExpectUsageError(args, mentions);
    }
}

TEST(HelpText, NamesEveryOptionAndTheExitStatuses) {
    const std::string help = HelpText();
    for (const char* word :
         {"--size", "--output", "--threads", "--engine", "--list", "--help", "--version", "--view",
          "--iterations", "483x609", "FIGURE", "1 to 1024"}) {
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
    for (const char* status : {"  0  ", "  1  ", "  2  ", "  3  ", "  4  "}) {
        EXPECT_NE(help.find(status), std::string::npos) << status;
    }
}

// Random command lines built from real options, sizes, figures and random
// bytes: the parser never throws, and every result is either a usable request
// or a one-line usage error.
TEST(ParseArguments, RandomCommandLines) {
    const std::vector<std::string> pool = {
        "--size",    "-s",   "--output", "-o",       "--list",         "-l",    "--help", "-h",
        "--threads", "-t",   "2",        "--engine", "scalar",         "fast",  "--",     "m11",
        "m_14",      "träd", "trd1",     "j8J81",    "483x609",        "1x1",   "0x5",    "65537x1",
        "x",         "-",    "=",        "--size=",  "--output=a.png", "a.jpg", "",       "-3x4"};
    std::mt19937 rng(20261208);
    auto randomBytes = [&rng] {
        std::string s(rng() % 12, ' ');
        for (char& c : s) {
            c = static_cast<char>(rng() % 256);
        }
        return s;
    };
    for (int round = 0; round < 20000; ++round) {
        Args args(rng() % 6);
        for (std::string& a : args) {
            a = rng() % 4 == 0 ? randomBytes() : pool[rng() % pool.size()];
            if (rng() % 8 == 0 && !a.empty()) {
                a[rng() % a.size()] = static_cast<char>(rng() % 256);
            }
        }
        ParseResult r;
        ASSERT_NO_THROW(r = ParseArguments(args));
        if (!r.Ok()) {
            ASSERT_EQ(r.status, kExitUsage);
            ASSERT_EQ(r.error.find('\n'), std::string::npos);
            continue;
        }
        if (r.request.action == Action::Render) {
            ASSERT_NE(r.request.figure, nullptr);
            ASSERT_TRUE(r.request.figure->Enabled());
            ASSERT_EQ(r.request.figure->kind, CommandKind::Figure);
            ASSERT_GE(r.request.width, 1);
            ASSERT_GE(r.request.height, 1);
            ASSERT_LE(r.request.width, kMaxSide);
            ASSERT_LE(r.request.height, kMaxSide);
            ASSERT_FALSE(r.request.output.empty());
        }
    }
}

// The message of a usage error without the program's name and hint.
std::string Problem(const OptionsResult& r, Program program) {
    const std::string prefix = std::string(ProgramName(program)) + ": ";
    EXPECT_EQ(r.error.rfind(prefix, 0), 0u) << r.error;
    return r.error.substr(prefix.size(), r.error.find("; see ") - prefix.size());
}

// The window and galleri-render read the options they share from one table:
// the same values, ranges, statuses and words.
TEST(ParseOptions, WindowAndRenderShareOneTable) {
    struct Case {
        Args args;
        std::string problem;  // empty: accepted
        int threads = 0;
        bool scalar = false;
    };
    const std::vector<Case> cases = {
        {{"--threads", "1024"}, "", 1024},
        {{"-t", "1", "-e", "scalar"}, "", 1, true},
        {{"--engine=fast", "--threads=7"}, "", 7},
        {{"--threads", "0"}, "bad thread count '0': expected a whole number from 1 to 1024"},
        {{"-t", "1025"}, "bad thread count '1025': expected a whole number from 1 to 1024"},
        {{"--threads", "-2"}, "bad thread count '-2': expected a whole number from 1 to 1024"},
        {{"--engine", "turbo"}, "unknown engine 'turbo': expected fast or scalar"},
        {{"--threads"}, "option --threads needs a value (N)"},
        {{"--help=1"}, "option --help takes no value"},
        {{"--frob"}, "unknown option '--frob'"},
        {{"-x"}, "unknown option '-x'"},
    };
    for (const Case& c : cases) {
        for (const Program program : {Program::Window, Program::Render}) {
            SCOPED_TRACE(std::string(ProgramName(program)) + " " + c.args[0]);
            const OptionsResult r = ParseOptions(program, c.args);
            if (c.problem.empty()) {
                ASSERT_TRUE(r.Ok()) << r.error;
                EXPECT_EQ(r.options.threads, c.threads);
                EXPECT_EQ(r.options.scalarEngine, c.scalar);
                continue;
            }
            EXPECT_EQ(r.status, kExitUsage);
            EXPECT_EQ(Problem(r, program), c.problem);
        }
    }
    for (const Program program : {Program::Window, Program::Render}) {
        EXPECT_EQ(ParseOptions(program, Args{"--version", "--frob"}).options.action,
                  Action::Version);
        EXPECT_EQ(ParseOptions(program, Args{"-h"}).options.action, Action::Help);
    }
}

// The window hands Qt's own options, with their values, to Qt and keeps its
// own; galleri-render takes none of Qt's.
TEST(ParseOptions, WindowHandsQtItsOwnOptions) {
    struct Case {
        Args args;
        Args qt;
        int threads = 0;
    };
    const std::vector<Case> cases = {
        {{"-platform", "offscreen", "--threads", "2"}, {"-platform", "offscreen"}, 2},
        {{"-style=fusion", "-reverse", "-t", "3"}, {"-style=fusion", "-reverse"}, 3},
        {{"--platform", "xcb", "-display", ":1", "-geometry", "100x100+0+0"},
         {"--platform", "xcb", "-display", ":1", "-geometry", "100x100+0+0"}},
        {{"-qwindowgeometry", "-1+1", "-qwindowtitle", "t", "-qmljsdebugger=port:1"},
         {"-qwindowgeometry", "-1+1", "-qwindowtitle", "t", "-qmljsdebugger=port:1"}},
        {{"-stylesheet", "a.qss", "-platformtheme", "gtk3", "-session", "s", "-widgetcount"},
         {"-stylesheet", "a.qss", "-platformtheme", "gtk3", "-session", "s", "-widgetcount"}},
        {{"-plugin", "evdevmouse", "-platformpluginpath", "/p", "-qwindowicon", "i.png"},
         {"-plugin", "evdevmouse", "-platformpluginpath", "/p", "-qwindowicon", "i.png"}},
    };
    for (const Case& c : cases) {
        const OptionsResult r = ParseOptions(Program::Window, c.args);
        ASSERT_TRUE(r.Ok()) << r.error;
        EXPECT_EQ(r.options.qtArguments, c.qt);
        EXPECT_EQ(r.options.threads, c.threads);
    }
    const std::vector<std::pair<Args, std::string>> refused = {
        {{"-platform"}, "option '-platform' needs a value"},
        {{"-plat", "x"}, "unknown option '-plat'"},
        {{"--size", "5x5"}, "unknown option '--size'"},
        {{"--list"}, "unknown option '--list'"},
        {{"m11"}, "unexpected argument 'm11'"},
        {{"--", "-reverse"}, "unexpected argument '-reverse'"},
    };
    for (const auto& [args, problem] : refused) {
        const OptionsResult r = ParseOptions(Program::Window, args);
        EXPECT_EQ(r.status, kExitUsage);
        EXPECT_EQ(Problem(r, Program::Window), problem);
    }
    ExpectUsageError({"-platform", "offscreen", "m11"}, "unknown option '-platform'");
    // A value may start with '-', as a negative number or a name would.
    const ParseResult named = ParseArguments(Args{"-o", "-platform", "m11"});
    ASSERT_TRUE(named.Ok()) << named.error;
    EXPECT_EQ(named.request.output, "-platform");
}

}  // namespace
}  // namespace galleri

namespace galleri {
namespace {

// The window without a display says so instead of letting Qt abort.
TEST(ParseOptions, NoDisplayIsOneLine) {
    using Args = std::vector<std::string>;
    const struct {
        Args qt;
        const char* platform;
        const char* display;
        const char* wayland;
        bool refused;
    } cases[] = {
        {{}, nullptr, nullptr, nullptr, true},
        {{}, "", "", "", true},
        {{}, "xcb", nullptr, nullptr, true},
        {{}, "wayland-egl", nullptr, nullptr, true},
        {{}, nullptr, ":0", nullptr, false},
        {{}, nullptr, nullptr, "wayland-0", false},
        {{}, "offscreen", nullptr, nullptr, false},
        {{"-platform", "offscreen"}, nullptr, nullptr, nullptr, false},
        {{"-display", ":3"}, nullptr, nullptr, nullptr, false},
    };
    for (const auto& c : cases) {
        const std::optional<std::string> why =
            NoDisplayMessage(c.qt, c.platform, c.display, c.wayland);
        EXPECT_EQ(why.has_value(), c.refused) << (c.platform ? c.platform : "-");
        if (why) {
            EXPECT_EQ(why->find('\n'), std::string::npos);
            EXPECT_NE(why->find("galleri-render"), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace galleri
