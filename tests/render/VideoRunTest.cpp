// Zoom videos made by galleri-render's run, decoded back with FFmpeg's
// libraries, and the inputs it refuses.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "render/Arguments.h"
#include "render/DrawStill.h"
#include "render/VideoRun.h"
#include "surface/HeadlessPlatform.h"
#include "surface/PictureText.h"
#include "surface/Surface.h"
#include "video/DecodeVideo.h"
#include "video/FrameFiles.h"

namespace galleri {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

class VideoRun : public ::testing::Test {
  protected:
    void SetUp() override {
        char templ[] = "/tmp/galleri-video-XXXXXX";
        dir_ = mkdtemp(templ);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string File(const std::string& name) const { return (dir_ / name).string(); }

    static RenderRequest Request(const Args& args) {
        const ParseResult parsed = ParseArguments(args);
        EXPECT_TRUE(parsed.Ok()) << parsed.error;
        EXPECT_TRUE(parsed.request.video);
        return parsed.request;
    }

    // The files of the test's folder, to see that nothing was left.
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    fs::path dir_;
};

// The still a frame file's Galleri text draws.
Bitmap StillOfText(const std::string& text) {
    Args args;
    for (size_t b = 0, e = 0; b < text.size(); b = e + 1) {
        e = text.find(' ', b);
        e = e == std::string::npos ? text.size() : e;
        args.push_back(text.substr(b, e - b));
    }
    const ParseResult parsed = ParseArguments(args);
    EXPECT_TRUE(parsed.Ok()) << parsed.error;
    HeadlessPlatform platform(parsed.request.width, parsed.request.height);
    Surface surface(platform);
    DrawStill(surface, parsed.request);
    return surface.Picture();
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Short dives, their frames drawn as files and as a video, the video
// decoded back: the frame count, the size, the rate, and every decoded frame
// near its frame file, nearer than to the frames beside it, within the
// codec's loss (in brightness: yuv420p halves the colours' resolution).
// Exact frame files are the stills their texts draw, pixel for pixel; made
// from keyframes, they are nearer their own stills than the frames beside.
TEST_F(VideoRun, DecodedFramesAreTheStillsOfTheirViews) {
    // m_1 from 1e-12 to 4e-16 wide, across a double's floor.
    const Args deep = {
        "--from", "-0.7436438870375,-0.7436438870365,0.1318259042049,0.13182590420565", "--to",
        "-0.743643887037158,-0.7436438870371576,0.131825904205311,0.1318259042053113", "m11"};
    // m_1 from its own view into the seahorse valley, 2.8 frames a doubling.
    const Args valley = {"--to", "-0.75,-0.74,0.1,0.11", "m11"};
    // The same in smooth colours with 2x2 samples a pixel: every frame is
    // the still of its text, colours and samples included.
    const Args coloured = {
        "--to", "-0.75,-0.74,0.1,0.11", "--palette", "fire", "--supersample", "2", "m11"};
    struct Case {
        const char* file;
        const char* size;
        const Args& dive;
        const char* codec;
        bool keyframes;
    };
    const std::vector<Case> cases = {
        {"deep.mp4", "64x48", deep, "h264", false},
        {"deep.webm", "65x49", deep, "vp9", false},
        {"keyframes.mp4", "64x48", valley, "h264", true},
        {"coloured.mp4", "64x48", coloured, "h264", false},
    };
    constexpr int kFrames = 24;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Args args = {"--video", File(c.file), "--size", c.size, "--seconds", "2.4", "--fps", "10"};
        args.insert(args.end(), c.dive.begin(), c.dive.end());
        if (c.keyframes) {
            args.push_back("--keyframes");
        }
        const RenderRequest video = Request(args);
        const VideoOutcome made = RunVideo(video);
        ASSERT_EQ(made.status, 0) << made.message;
        Args framesArgs = args;
        const std::string folder = File(std::string(c.file) + ".frames");
        framesArgs.insert(framesArgs.end(), {"--frames", "0-23", "--output", folder});
        const VideoOutcome drawn = RunVideo(Request(framesArgs));
        ASSERT_EQ(drawn.status, 0) << drawn.message;

        const testsupport::DecodedVideo decoded = testsupport::DecodeVideo(File(c.file));
        ASSERT_EQ(decoded.error, "");
        EXPECT_EQ(decoded.codec, c.codec);
        EXPECT_EQ(decoded.frameRate.num, 10);
        EXPECT_EQ(decoded.frameRate.den, 1);
        EXPECT_EQ(decoded.width, video.width);
        EXPECT_EQ(decoded.height, video.height);
        ASSERT_EQ(decoded.frames.size(), size_t{kFrames});
        std::vector<Bitmap> frames, stills;
        for (int k = 0; k < kFrames; ++k) {
            const std::string path = (fs::path(folder) / FrameFileName(k)).string();
            frames.push_back(ReadFrameFile(path));
            const std::optional<std::string> text = ReadPictureText(ReadAll(path));
            ASSERT_TRUE(text) << k;
            if (&c.dive == &coloured) {
                EXPECT_NE(text->find("--colouring smooth --palette fire --supersample 2"),
                          std::string::npos)
                    << *text;
            }
            stills.push_back(StillOfText(*text));
            if (!c.keyframes || k == 0 || k == kFrames - 1) {
                EXPECT_EQ(frames[k].Pixels(), stills[k].Pixels()) << k << ": " << *text;
            }
        }
        const auto nearest = [](const std::vector<Bitmap>& to, const Bitmap& picture, int k) {
            const double own = testsupport::LumaPsnr(picture, to[k]);
            for (const int other : {k - 1, k + 1}) {
                if (other >= 0 && other < kFrames) {
                    EXPECT_GT(own, testsupport::LumaPsnr(picture, to[other]) + 1)
                        << k << " against " << other;
                }
            }
            return own;
        };
        for (int k = 0; k < kFrames; ++k) {
            EXPECT_GT(nearest(frames, decoded.frames[k], k), 28) << k;
            if (c.keyframes && k > 0 && k < kFrames - 1) {
                nearest(stills, frames[k], k);
            }
        }
    }
}

// What a video refuses once its options are read: one line each, the exit
// status, and no file left behind.
TEST_F(VideoRun, RefusesUnwritableOutputsAndForeignFrames) {
    const Args video = {
        "--to", "-0.75,-0.74,0.1,0.11", "--seconds", "0.4", "--fps", "10", "--size", "32x24",
        "m11"};
    const auto with = [&video](const Args& more) {
        Args args = video;
        args.insert(args.end(), more.begin(), more.end());
        return args;
    };
    const std::string frames = File("frames");
    ASSERT_EQ(
        RunVideo(Request(with({"--video", File("v.mp4"), "--frames", "0-3", "--output", frames})))
            .status,
        0);
    const std::string other = File("other");
    ASSERT_EQ(RunVideo(Request(with({"--video", File("v.mp4"), "--frames", "0-4", "--output", other,
                                     "--fps", "12"})))
                  .status,
              0);
    // A folder with a gap, and one with a frame of the other video.
    const std::string gap = File("gap"), foreign = File("foreign");
    fs::copy(frames, gap);
    fs::remove(fs::path(gap) / FrameFileName(2));
    fs::copy(frames, foreign);
    fs::copy_file(fs::path(other) / FrameFileName(1), fs::path(foreign) / FrameFileName(1),
                  fs::copy_options::overwrite_existing);
    std::ofstream(File("plain"), std::ios::binary) << "not a folder";

    struct Case {
        Args args;
        int status;
        const char* mentions;
    };
    const std::vector<Case> cases = {
        {with({"--video", File("none/v.mp4")}), 1, "No such file or directory"},
        {with({"--video", File("v.mp4"), "--frames", "0-1", "--output", File("plain/f")}), 1,
         "plain"},
        {with({"--video", File("v.mp4"), "--from-frames", gap}), 2, "frame 2 of 4 is missing"},
        {with({"--video", File("v.mp4"), "--from-frames", foreign}), 2,
         "is not frame 1 of this video: it is frame 1 of 5 of another video"},
        {with({"--video", File("v.mp4"), "--from-frames", other, "--fps", "12"}), 0, "wrote"},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& a : c.args) {
            shown += a + " ";
        }
        SCOPED_TRACE(shown);
        fs::remove(File("v.mp4"));
        const std::vector<std::string> before = Files();
        const VideoOutcome outcome = RunVideo(Request(c.args));
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_NE(outcome.message.find(c.mentions), std::string::npos) << outcome.message;
        EXPECT_EQ(outcome.message.find('\n'), std::string::npos);
        if (c.status != 0) {
            EXPECT_EQ(Files(), before);
        }
    }
}

}  // namespace
}  // namespace galleri
