// Runs the real galleri-render and checks its exit statuses, messages and
// files.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "commands/Commands.h"
#include "surface/HeadlessPlatform.h"
#include "surface/Surface.h"

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
};

class RenderCli : public ::testing::Test {
  protected:
    void SetUp() override {
        char templ[] = "/tmp/galleri-cli-XXXXXX";
        dir_ = mkdtemp(templ);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path File(const std::string& name) const { return dir_ / name; }

    // Runs the program in the test's folder with stdout and stderr caught.
    Outcome Render(const std::vector<std::string>& args) {
        std::vector<char*> argv;
        std::string program = GALLERI_RENDER_BINARY;
        argv.push_back(program.data());
        std::vector<std::string> copies = args;
        for (std::string& a : copies) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        const std::string out = File(".out").string(), err = File(".err").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addchdir_np(&actions, dir_.c_str());
        pid_t pid = 0;
        Outcome run;
        const int spawned =
            posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(spawned, 0) << program;
        if (spawned != 0) {
            return run;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status)) << "the program crashed";
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = ReadAll(out);
        run.err = ReadAll(err);
        fs::remove(out);
        fs::remove(err);
        return run;
    }

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
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args.empty() ? "(none)" : args[0] + " " + args.back());
        const Outcome run = Render(args);
        EXPECT_EQ(run.status, 2);
        ExpectOneLineError(run);
        EXPECT_NE(run.err.find("--list"), std::string::npos) << run.err;
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
    EXPECT_NE(run.err.find("Range check error"), std::string::npos) << run.err;
    EXPECT_EQ(ReadAll(File("m11.png")), "previous picture");
    EXPECT_EQ(Files(), std::vector<std::string>{"m11.png"});

    // Column 65536 does not fit a 16-bit pixel coordinate.
    run = Render({"--size", "65537x1", "-o", "wide.png", "m11"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(Files(), std::vector<std::string>{"m11.png"});
}

}  // namespace
}  // namespace galleri
