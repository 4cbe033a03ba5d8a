// Runs the real galleri-render (and galleri for its options) and checks
// their exit statuses, messages and files.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "commands/Commands.h"
#include "surface/HeadlessPlatform.h"
#include "surface/Surface.h"
#include "view/ArgumentWords.h"
#include "view/ViewText.h"

extern char** environ;

namespace galleri {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
    long peakKilobytes = 0;  // the child's own peak resident memory
};

// How to start a program: galleri-render unless From says otherwise.
struct Launch {
    explicit Launch(std::vector<std::string> arguments) : args(std::move(arguments)) {}
    Launch& From(const char* path) {
        program = path;
        return *this;
    }
    // NAME=VALUE to set, NAME alone to unset.
    Launch& Env(std::vector<std::string> changes) {
        env = std::move(changes);
        return *this;
    }
    Launch& StdoutTo(std::string path) {
        stdoutPath = std::move(path);
        return *this;
    }
    Launch& Limit(int resource, rlim_t value) {
        limits.emplace_back(resource, value);
        return *this;
    }

    std::vector<std::string> args;
    std::string program = GALLERI_RENDER_BINARY;
    std::vector<std::string> env;
    std::string stdoutPath;  // empty: caught for the test
    std::vector<std::pair<int, rlim_t>> limits;
};

// The process environment with the launch's changes.
std::vector<std::string> Environment(const std::vector<std::string>& changes) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        bool changed = false;
        for (const std::string& c : changes) {
            changed = changed || c.substr(0, c.find('=')) == name;
        }
        if (!changed) {
            env.push_back(entry);
        }
    }
    for (const std::string& c : changes) {
        if (c.find('=') != std::string::npos) {
            env.push_back(c);
        }
    }
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> p;
    for (std::string& s : strings) {
        p.push_back(s.data());
    }
    p.push_back(nullptr);
    return p;
}

class RenderCli : public ::testing::Test {
  protected:
    void SetUp() override {
        char templ[] = "/tmp/galleri-cli-XXXXXX";
        dir_ = mkdtemp(templ);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path File(const std::string& name) const { return dir_ / name; }

    // Runs the program in the test's folder with stderr caught, and stdout
    // too unless it goes elsewhere. Signals keep their default actions, as
    // from a shell.
    Outcome Run(const Launch& launch) {
        std::vector<std::string> argStrings = {launch.program};
        argStrings.insert(argStrings.end(), launch.args.begin(), launch.args.end());
        std::vector<std::string> envStrings = Environment(launch.env);
        const std::vector<char*> argv = Pointers(argStrings);
        const std::vector<char*> envp = Pointers(envStrings);
        const std::string out =
            launch.stdoutPath.empty() ? File(".out").string() : launch.stdoutPath;
        const std::string err = File(".err").string();
        const std::string dir = dir_.string();

        Outcome run;
        const pid_t pid = fork();
        if (pid == 0) {
            // Only async-signal-safe calls between fork and exec.
            const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (o < 0 || e < 0 || dup2(o, 1) < 0 || dup2(e, 2) < 0 || chdir(dir.c_str()) != 0) {
                _exit(126);
            }
            struct sigaction byDefault {};
            byDefault.sa_handler = SIG_DFL;
            sigaction(SIGXFSZ, &byDefault, nullptr);
            for (const auto& [resource, value] : launch.limits) {
                const rlimit limit{value, value};
                setrlimit(resource, &limit);
            }
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        EXPECT_GT(pid, 0);
        if (pid <= 0) {
            return run;
        }
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        EXPECT_TRUE(WIFEXITED(status))
            << "the program ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.peakKilobytes = usage.ru_maxrss;
        run.out = launch.stdoutPath.empty() ? ReadAll(out) : "";
        run.err = ReadAll(err);
        fs::remove(File(".out"));
        fs::remove(err);
        return run;
    }

    Outcome Render(const std::vector<std::string>& args) { return Run(Launch(args)); }

    // The files the test's folder holds.
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir_;
};

// One line on stderr, nothing on stdout.
void ExpectOneLineError(const Outcome& run) {
    EXPECT_TRUE(run.out.empty()) << run.out;
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
}

TEST_F(RenderCli, DrawsThePictureTheCoreDraws) {
    const Outcome run = Render({"--size", "31x17", "--output", "a.png", "m_3"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const QImage image(QString::fromStdString(File("a.png").string()), "png");
    ASSERT_EQ(image.width(), 31);
    ASSERT_EQ(image.height(), 17);

    HeadlessPlatform platform(31, 17);
    Surface surface(platform);
    RunFigure(surface, *FindCommand("m31"));
    for (int y = 0; y < 17; ++y) {
        for (int x = 0; x < 31; ++x) {
            const uint32_t v = surface.Picture().Get(x, y);
            const QRgb p = image.pixel(x, y);
            ASSERT_EQ(qRgb(static_cast<int>(v & 0xFF), static_cast<int>(v >> 8 & 0xFF),
                           static_cast<int>(v >> 16 & 0xFF)),
                      p)
                << x << "," << y;
        }
    }
}

// --view draws the rectangle given, with everything else of the figure as
// the menu command has it; at the figure's own rectangle it is the command.
TEST_F(RenderCli, ViewDrawsThatRectangleOfTheFigure) {
    const Command& m13 = *FindCommand("m131");
    const PlaneRect own = m13.Plane()->own;
    const PlaneRect view{-0.76543, -0.76545, 0.0995, 0.1};  // mirrored, as its own
    ASSERT_EQ(Render({"-s", "37x29", "--view", FormatView(view), "-o", "v.bmp", "m_13"}).status, 0);
    ASSERT_EQ(Render({"-s", "37x29", "--view=" + FormatView(own), "-o", "o.bmp", "m_13"}).status,
              0);
    ASSERT_EQ(Render({"-s", "37x29", "-o", "m.bmp", "m_13"}).status, 0);
    EXPECT_EQ(ReadAll(File("o.bmp")), ReadAll(File("m.bmp")));

    HeadlessPlatform platform(37, 29);
    Surface surface(platform);
    RunFigureView(surface, m13, view);
    const QImage image(QString::fromStdString(File("v.bmp").string()), "bmp");
    ASSERT_EQ(image.size(), QSize(37, 29));
    for (int y = 0; y < 29; ++y) {
        for (int x = 0; x < 37; ++x) {
            const uint32_t v = surface.Picture().Get(x, y);
            ASSERT_EQ(qRgb(static_cast<int>(v & 0xFF), static_cast<int>(v >> 8 & 0xFF),
                           static_cast<int>(v >> 16 & 0xFF)),
                      image.pixel(x, y))
                << x << "," << y;
        }
    }
}

// The scalar reference and the fast engine on any thread count write the
// same file.
TEST_F(RenderCli, EnginesAndThreadCountsWriteTheSameFile) {
    for (const char* figure : {"m_5", "jd_9", "j_2", "binary decomposition"}) {
        SCOPED_TRACE(figure);
        ASSERT_EQ(Render({"-s", "61x47", "-e", "scalar", "-o", "s.bmp", figure}).status, 0);
        ASSERT_EQ(Render({"-s", "61x47", "-o", "f.bmp", figure}).status, 0);
        ASSERT_EQ(Render({"-s", "61x47", "-t", "3", "-o", "t.bmp", figure}).status, 0);
        const std::string reference = ReadAll(File("s.bmp"));
        EXPECT_FALSE(reference.empty());
        EXPECT_EQ(ReadAll(File("f.bmp")), reference);
        EXPECT_EQ(ReadAll(File("t.bmp")), reference);
    }
}

TEST_F(RenderCli, DefaultNameAndSizeAndFormatsByExtension) {
    EXPECT_EQ(Render({"m_1"}).status, 0);
    const QImage image(QString::fromStdString(File("m11.png").string()), "png");
    EXPECT_EQ(image.size(), QSize(483, 609));

    EXPECT_EQ(Render({"-s", "8x6", "-o", "b.JPEG", "m11"}).status, 0);
    EXPECT_EQ(ReadAll(File("b.JPEG")).rfind("\xFF\xD8\xFF", 0), 0u);
    EXPECT_EQ(Render({"-s", "8x6", "-o", "c.jpe", "m11"}).status, 0);
    EXPECT_EQ(ReadAll(File("c.jpe")).rfind("BM", 0), 0u);
    EXPECT_EQ(Files(), (std::vector<std::string>{"b.JPEG", "c.jpe", "m11.png"}));
}

TEST_F(RenderCli, ListAndHelpGoToStdout) {
    Outcome run = Render({"--list"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("m11"), std::string::npos);
    EXPECT_NE(run.out.find("träd"), std::string::npos);
    EXPECT_EQ(run.err, "");
    run = Render({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Usage: galleri-render", 0), 0u);
    EXPECT_TRUE(Files().empty());
}

TEST_F(RenderCli, BadUsageIsStatusTwoAndWritesNothing) {
    const std::vector<std::vector<std::string>> cases = {
        {"--size", "0x5", "m11"},
        {"--size", "-3x4", "m11"},
        {"--size", "10", "m11"},
        {"--size", "99999999x2", "m11"},
        {"--size", "axb", "m11"},
        {"bogus"},
        {"--frob", "m11"},
        {"m11", "--size"},
        {},
        {"m11", "m21"},
        {"spara bild"},
        {"--view", "0,1,0,1", "trd1"},
        {"--view", "-1,1,0", "m11"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args.empty() ? "(none)" : args[0] + " " + args.back());
        const Outcome run = Render(args);
        EXPECT_EQ(run.status, 2);
        ExpectOneLineError(run);
        EXPECT_TRUE(run.err.ends_with("; see galleri-render --help\n") ||
                    run.err.ends_with("; see galleri-render --list for the figures\n"))
            << run.err;
    }
    EXPECT_TRUE(Files().empty());
}

TEST_F(RenderCli, UnwritableFileIsStatusOneNamingPathAndReason) {
    Outcome run = Render({"-s", "8x6", "-o", "missing/a.png", "m11"});
    EXPECT_EQ(run.status, 1);
    ExpectOneLineError(run);
    EXPECT_NE(run.err.find("missing/a.png"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("No such file or directory"), std::string::npos) << run.err;

    std::ofstream(File("plain")) << "x";
    run = Render({"-s", "8x6", "-o", "plain/a.jpg", "m11"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Not a directory"), std::string::npos) << run.err;
    EXPECT_EQ(Files(), std::vector<std::string>{"plain"});
}

// More than 4096 rows overflow the Mandelbrot row table: a range error before
// anything is written, and an existing file stays as it was.
TEST_F(RenderCli, RangeErrorIsStatusThreeAndKeepsTheOldFile) {
    std::ofstream(File("m11.png")) << "previous picture";
    Outcome run = Render({"--size", "10x5000", "m11"});
    EXPECT_EQ(run.status, 3);
    ExpectOneLineError(run);
    EXPECT_NE(run.err.find("picture height 5000 exceeds this figure's 4096 rows"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(ReadAll(File("m11.png")), "previous picture");
    EXPECT_EQ(Files(), std::vector<std::string>{"m11.png"});

    // Column 65536 does not fit a 16-bit pixel coordinate: no figure can
    // draw it, so the size itself is bad usage.
    run = Render({"--size", "65537x1", "-o", "wide.png", "m11"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(Files(), std::vector<std::string>{"m11.png"});
}

// A picture too tall for the figure is refused before its colours are
// allocated: a Mandelbrot view 5000 rows high would take 1.2 GB.
TEST_F(RenderCli, TallPictureIsRefusedBeforeAllocating) {
    const Outcome run = Render({"--size", "60000x5000", "m_1"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err,
              "galleri-render: m_1 at 60000x5000: picture height 5000 exceeds this figure's "
              "4096 rows; nothing written\n");
    EXPECT_LT(run.peakKilobytes, 100 * 1024);
    EXPECT_TRUE(Files().empty());
}

// Every way to fail ends with its documented status and one line on stderr,
// and writes nothing.
TEST_F(RenderCli, EachFailureHasItsStatusAndOneLine) {
    fs::create_directory(File("lat\xE9"));
    struct Case {
        Launch launch;
        int status;
        std::string says;
    };
    const std::vector<Case> cases = {
        {Launch({"-s", "65536x10", "m11"}), 2, "bad size '65536x10'"},
        {Launch({"-o", "x.png", "-platform", "m11"}), 2, "unknown option '-platform'"},
        {Launch({"-o", "no\nsuch/dir.png", "m11"}), 1,
         "Could not save 'no\\nsuch/dir.png': No such file or directory"},
        {Launch({"-o", "/dev/full", "-s", "20x20", "m11"}), 1,
         "Could not save '/dev/full': No space left on device"},
        {Launch({"-o", "big.bmp", "m11"}).Limit(RLIMIT_FSIZE, 10000), 1,
         "Could not save 'big.bmp': File too large"},
        {Launch({"-o", "wide.jpg", "-s", "65501x1", "j11"}), 1,
         "Could not save 'wide.jpg': Maximum supported image dimension is 65500 pixels"},
        {Launch({"-s", "1x4097", "mandelphoenix"}), 3,
         "galleri-render: mandelphoenix at 1x4097: picture height 4097 exceeds this figure's "
         "4096 rows; nothing written"},
        {Launch({"M11"}), 2,
         "unknown figure 'M11', perhaps m11 (\"m_1\"); see galleri-render --list for the "
         "figures"},
        {Launch({"-s", "0x9", "m11"}), 2, "such as 483x609; see galleri-render --help\n"},
        {Launch({"--list"}).StdoutTo("/dev/full"), 1,
         "galleri-render: could not write to standard output: No space left on device"},
        {Launch({"--help"}).StdoutTo("/dev/full"), 1, "No space left on device"},
        {Launch({"--help"}).From(GALLERI_WINDOW_BINARY).StdoutTo("/dev/full"), 1,
         "galleri: could not write to standard output: No space left on device"},
        {Launch({"--threads", "1025"}).From(GALLERI_WINDOW_BINARY), 2,
         "galleri: bad thread count '1025': expected a whole number from 1 to 1024"},
        {Launch({"-platform"}).From(GALLERI_WINDOW_BINARY), 2, "option '-platform' needs a value"},
        {Launch({"m11"}).From(GALLERI_WINDOW_BINARY), 2, "unexpected argument 'm11'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        const Outcome run = Run(c.launch);
        EXPECT_EQ(run.status, c.status) << run.err;
        ExpectOneLineError(run);
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(Files(), std::vector<std::string>{"lat\xE9"});
    }
}

// Under an address-space limit (ulimit -v 450000) a poster that would not
// fit is refused before drawing, with status 4 and one line, while a small
// picture still draws: the refusal is no blanket one.
TEST_F(RenderCli, AddressSpaceLimitRefusesOnlyWhatCannotFit) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer reserves terabytes of address space: no address-space "
                    "limit leaves it room to start";
#endif
    const rlim_t limit = rlim_t{450000} * 1024;
    Outcome run = Run(Launch({"-e", "scalar", "-s", "16384x8192", "s11"}).Limit(RLIMIT_AS, limit));
    EXPECT_EQ(run.status, 4);
    ExpectOneLineError(run);
    EXPECT_NE(run.err.find("not enough memory to draw strange_1 at 16384x8192"), std::string::npos)
        << run.err;
    EXPECT_TRUE(Files().empty());
    run = Run(Launch({"-e", "scalar", "-s", "300x200", "j11"}).Limit(RLIMIT_AS, limit));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Files(), std::vector<std::string>{"j11.png"});
}

// Qt never reads galleri-render's arguments, and it draws on the offscreen
// platform whatever the environment asks for.
TEST_F(RenderCli, QtNeitherReadsTheArgumentsNorNeedsADisplay) {
    const Outcome run = Run(Launch({"-s", "20x10", "-o", "-platform", "m11"})
                                .Env({"QT_QPA_PLATFORM=xcb", "DISPLAY", "WAYLAND_DISPLAY"}));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadAll(File("-platform")).rfind("BM", 0), 0u);
}

// File names are bytes: a name that is not UTF-8 is written as given, in a
// folder whose name is not UTF-8 either.
TEST_F(RenderCli, FileNamesAreWrittenByteForByte) {
    fs::create_directory(File("lat\xE9"));
    for (const char* name : {"latin\xE4.png", "lat\xE9/latin\xE4.jpg"}) {
        EXPECT_EQ(Render({"-s", "20x10", "-o", name, "m11"}).status, 0) << name;
    }
    EXPECT_EQ(Files(), (std::vector<std::string>{"latin\xE4.png", "lat\xE9"}));
    EXPECT_TRUE(fs::exists(File("lat\xE9/latin\xE4.jpg")));
}

// Files are written from the picture row by row, yet they are the bytes
// galleri-render wrote when it encoded a whole copy first (FNV-1a of the
// files it made then), with the arguments that draw them again in PNG and
// JPEG files.
TEST_F(RenderCli, FilesAreTheBytesTheyAlwaysWere) {
    struct Case {
        const char* figure;
        const char* file;
        uint64_t checksum;
    };
    for (const Case& c :
         {Case{"m_5", "a.jpg", 0x76b63a24e38a59a1ull}, Case{"m_5", "a.png", 0x4e747be45ef6ac2cull},
          Case{"m_5", "a.bmp", 0x4bf0f9217e5a0268ull},
          Case{"jd_9", "b.jpg", 0x92c07265be82b712ull}}) {
        SCOPED_TRACE(c.file);
        ASSERT_EQ(Render({"-s", "61x47", "-o", c.file, c.figure}).status, 0);
        uint64_t h = 0xcbf29ce484222325ull;
        for (const char byte : ReadAll(File(c.file))) {
            h = (h ^ static_cast<unsigned char>(byte)) * 0x100000001b3ull;
        }
        EXPECT_EQ(h, c.checksum);
        const bool text = std::string(c.file).find(".bmp") == std::string::npos;
        const std::string args =
            std::string("--size 61x47 ") + (c.figure[1] == 'd' ? "jd91" : "m51");
        EXPECT_EQ(ReadAll(File(c.file)).find(args) != std::string::npos, text) << args;
    }
}

// A deep view, and a raised budget above the floor, are drawn; the file's
// text draws the very same picture again.
TEST_F(RenderCli, DeepViewsRedrawFromTheirText) {
    using Args = std::vector<std::string>;
    const std::string deep =
        "-0.743643887037158704752191506114775,-0.743643887037158704752191506114773,"
        "0.131825904205311970493132056385138,0.131825904205311970493132056385139";
    for (const Args& args :
         {Args{"-s", "48x24", "--view", deep, "-i", "3000", "-o", "a.png", "m11"},
          Args{"-s", "40x30", "-i", "2000", "-o", "a.png", "m11"},
          Args{"-s", "40x30", "--view=1e-25,2e-25,-1e-25,0", "-o", "a.png", "jd101"}}) {
        SCOPED_TRACE(args[3]);
        ASSERT_EQ(Render(args).status, 0);
        const std::string first = ReadAll(File("a.png"));
        // The text chunk: its length, "tEXt", the keyword, NUL and the text.
        const size_t at = first.find("tEXtGalleri");
        ASSERT_NE(at, std::string::npos);
        size_t length = 0;
        for (size_t k = at - 4; k < at; ++k) {
            length = length << 8 | static_cast<unsigned char>(first[k]);
        }
        const std::string text = first.substr(at + 12, length - 8);
        Args again;
        for (size_t b = 0, e = 0; b < text.size(); b = e + 1) {
            e = text.find(' ', b);
            e = e == std::string::npos ? text.size() : e;
            again.push_back(text.substr(b, e - b));
        }
        again.insert(again.end() - 1, {"-o", "b.png"});
        ASSERT_EQ(Render(again).status, 0) << text;
        EXPECT_EQ(ReadAll(File("b.png")), first) << text;
    }
}

// The PNG text chunk Galleri wrote: its length, "tEXt", the keyword, NUL and
// the text.
std::string GalleriText(const std::string& png) {
    const size_t at = png.find("tEXtGalleri");
    if (at == std::string::npos || at < 4) {
        return {};
    }
    size_t length = 0;
    for (size_t k = at - 4; k < at; ++k) {
        length = length << 8 | static_cast<unsigned char>(png[k]);
    }
    return png.substr(at + 12, length - 8);
}

// Smooth pictures, with a built-in palette and with a palette file whose
// name needs quoting, redraw from their text to the same bytes; once the
// file changes or goes, the text is refused in one line, and nothing is
// written.
TEST_F(RenderCli, SmoothPicturesRedrawFromTheirText) {
    using Args = std::vector<std::string>;
    fs::copy_file(fs::path(GALLERI_PALETTE_CORPUS) / "ggr/good-curves.ggr", File("my grad.ggr"));
    for (const Args& args :
         {Args{"-s", "40x30", "--palette", "dusk", "--density", "6", "-o", "a.png", "jd11"},
          Args{"-s", "40x30", "--supersample", "3", "-o", "a.png", "mandelphoenix1"},
          // A deep view, smooth, and by strips of samples.
          Args{"-s", "40x30", "--palette", "fire", "--supersample", "2",
               "--view=-1.2500000000000000000001,-1.25,0.0199999999999999999999,0.02", "-o",
               "a.png", "m11"},
          // Last: the file the checks below change.
          Args{"-s", "40x30", "--view=-0.75,-0.74,0.1,0.11", "--palette", "my grad.ggr", "--offset",
               "0.5", "--supersample", "2", "-o", "a.png", "m11"}}) {
        SCOPED_TRACE(args[3]);
        ASSERT_EQ(Render(args).status, 0);
        const std::string first = ReadAll(File("a.png"));
        const std::string text = GalleriText(first);
        ASSERT_NE(text.find(args[2] == "--supersample" ? "--supersample" : "--colouring smooth"),
                  std::string::npos)
            << text;
        Args again = SplitArguments(text);
        again.insert(again.end() - 1, {"-o", "b.png"});
        ASSERT_EQ(Render(again).status, 0) << text;
        EXPECT_EQ(ReadAll(File("b.png")), first) << text;
        fs::remove(File("b.png"));
    }
    const Args again = SplitArguments(GalleriText(ReadAll(File("a.png"))));
    std::ofstream(File("my grad.ggr"), std::ios::app) << "\n";
    EXPECT_EQ(Render(again).status, 0) << "the same colours";
    fs::remove(File("m11.png"));
    std::ofstream(File("my grad.ggr")) << "GIMP Gradient\n1\n0 0.5 1 0 0 0 1 1 1 1 1 0 0\n";
    Outcome run = Render(again);
    EXPECT_EQ(run.status, 2);
    ExpectOneLineError(run);
    EXPECT_NE(run.err.find("is not the one the picture was drawn with"), std::string::npos)
        << run.err;
    fs::remove(File("my grad.ggr"));
    run = Render(again);
    EXPECT_EQ(run.status, 2);
    ExpectOneLineError(run);
    EXPECT_NE(run.err.find("'my grad.ggr': cannot read it"), std::string::npos) << run.err;
    EXPECT_EQ(Files(), std::vector<std::string>{"a.png"});
}

// Both programs tell the project's version and their help without a
// display, so without starting Qt.
TEST_F(RenderCli, VersionAndHelpOfBothProgramsNeedNoDisplay) {
    for (const char* program : {GALLERI_RENDER_BINARY, GALLERI_WINDOW_BINARY}) {
        const std::string name = fs::path(program).filename().string();
        const std::vector<std::string> noDisplay = {"QT_QPA_PLATFORM=xcb", "DISPLAY",
                                                    "WAYLAND_DISPLAY"};
        Outcome run = Run(Launch({"--version"}).From(program).Env(noDisplay));
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, name + " " GALLERI_EXPECTED_VERSION "\n");
        EXPECT_EQ(run.err, "");
        run = Run(Launch({"--help"}).From(program).Env(noDisplay));
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.rfind("Usage: " + name + " ", 0), 0u) << run.out;
        EXPECT_NE(run.out.find("--threads N"), std::string::npos);
    }
}

}  // namespace
}  // namespace galleri
