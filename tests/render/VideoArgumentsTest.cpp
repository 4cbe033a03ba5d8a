#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/Commands.h"
#include "render/Arguments.h"
#include "render/VideoArguments.h"

namespace galleri {
namespace {

using Args = std::vector<std::string>;

const Args kVideo = {"--video", "v.mp4", "--to", "-0.75,-0.74,0.1,0.11", "--seconds", "2",
                     "--size",  "64x48", "m11"};

Args With(Args more, const Args& base = kVideo) {
    Args args = base;
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

TEST(VideoArguments, ReadsAVideoWithItsDefaults) {
    struct Case {
        Args args;
        VideoFormat format;
        int64_t frames;
        int crf;
        bool fromOwn;
    };
    const std::vector<Case> cases = {
        {kVideo, VideoFormat::Mp4, 60, 20, true},
        {With({"--video", "V.WEBM", "--fps", "24", "--size", "63x47"}), VideoFormat::WebM, 48, 32,
         true},
        {With({"--crf", "0", "--from", "-2,1,-1.2,1.2"}), VideoFormat::Mp4, 60, 0, false},
        {With({"--from", "-2,1.2,-1.2,1.2"}), VideoFormat::Mp4, 60, 20, true},
        {With({"--seconds", "0.05", "--fps", "40"}), VideoFormat::Mp4, 2, 20, true},
    };
    for (const Case& c : cases) {
        const ParseResult r = ParseArguments(c.args);
        ASSERT_TRUE(r.Ok()) << r.error;
        ASSERT_TRUE(r.request.video);
        const VideoRequest& v = *r.request.video;
        EXPECT_EQ(v.format, c.format);
        EXPECT_EQ(v.frames, c.frames);
        EXPECT_EQ(v.crf, c.crf);
        EXPECT_EQ(v.fromOwn, c.fromOwn);
        EXPECT_TRUE(r.request.output.empty());
    }
}

// Bad input: one line, status 2, saying what is wrong.
TEST(VideoArguments, RefusesBadInputInOneLine) {
    const std::vector<std::pair<Args, std::string>> cases = {
        {With({"--to", "a,b,c,d"}), "--to: bad view 'a,b,c,d'"},
        {With({"--to", "1,1,0,1"}), "--to: bad view"},
        {{"--video", "v.mp4", "--to", "0,1,0,1", "--seconds", "1", "lorenz11"}, "not one"},
        {With({"--seconds", "0"}), "bad length '0'"},
        {With({"--seconds", "-3"}), "bad length '-3'"},
        {With({"--fps", "0"}), "bad frame rate '0'"},
        {With({"--fps", "-30"}), "bad frame rate '-30'"},
        {With({"--size", "63x48"}), "H.264 needs an even width and height"},
        {With({"--video", "v.avi"}), "must be named .mp4 (H.264) or .webm (VP9)"},
        {With({"--crf", "52"}), "H.264 takes 0 (best) to 51"},
        {With({"--seconds", "0.01"}), "fewer than two frames"},
        {With({"--frames", "0-9"}), "--frames needs --output DIR"},
        {With({"--frames", "9-2", "--output", "f"}), "bad frames '9-2'"},
        {With({"--frames", "0-60", "--output", "f"}), "the video has 60 frames, 0 to 59"},
        {With({"--output", "x.png"}), "--output names the folder of --frames"},
        {With({"--from", "1,-2,-1.2,1.2"}), "mirrored"},
        {With({"--view", "0,1,0,1"}), "--view and --location draw a picture"},
        {{"--to", "0,1,0,1", "m11"}, "give --video FILE"},
        {{"--video", "v.mp4", "--seconds", "1", "m11"}, "needs --to VIEW"},
        {{"--video", "v.mp4", "--to", "0,1,0,1", "m11"}, "needs --seconds S"},
    };
    for (const auto& [args, mentions] : cases) {
        std::string shown;
        for (const std::string& a : args) {
            shown += a + " ";
        }
        SCOPED_TRACE(shown);
        const ParseResult r = ParseArguments(args);
        ASSERT_FALSE(r.Ok());
        EXPECT_EQ(r.status, kExitUsage);
        EXPECT_EQ(r.error.find('\n'), std::string::npos);
        EXPECT_NE(r.error.find(mentions), std::string::npos) << r.error;
    }
}

// The views of a video's frames are the ones their texts give a still: a
// frame's Galleri text, read back, draws that very view.
TEST(VideoArguments, FrameViewsReadBackFromTheirText) {
    const Command& m11 = *FindCommand("m11");
    for (const char* text :
         {"-0.75,-0.74,0.1,0.11",
          "-0.743643887037158,-0.7436438870371576,0.131825904205311,"
          "0.1318259042053113",
          "-0.74364388703715870475219150611477,-0.74364388703715870475219150611476,"
          "0.13182590420531197049313200013513,0.13182590420531197049313200013514"}) {
        const DeepRect exact = *ParseDeepView(text).view;
        // Off the grid of decimals: as the path makes them.
        DeepRect moved = exact;
        const long bits = moved.left.Precision() + 40;
        const BigFloat third = (exact.right.WithPrecision(bits) - exact.left) / BigFloat(3, bits);
        moved.left = exact.left.WithPrecision(bits) + third;
        moved.right = exact.right.WithPrecision(bits) + third;
        const ExploreView view = FrameView(m11, moved, 64, 48);
        const ResolvedView back = ResolveView(m11, ViewText(view), 64, 48);
        ASSERT_EQ(back.error, "");
        EXPECT_TRUE(
            SameView(view, back.view ? ExploreView(*back.view) : ExploreView(*back.deepView)))
            << text;
    }
}

}  // namespace
}  // namespace galleri
