#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// galleri-render's options of a zoom video, as given: the views stay text
// until the figure is known, the rest is checked here.

namespace galleri {

// The most frames a second --fps accepts, and the longest video in seconds.
inline constexpr int kMaxFps = 240;
inline constexpr double kMaxVideoSeconds = 86400;

struct VideoOptions {
    std::optional<std::string> file;        // --video: the .mp4 or .webm to write
    std::optional<std::string> to;          // --to: the view the dive ends at
    std::optional<std::string> from;        // --from: the view it starts at
    std::optional<double> seconds;          // --seconds
    std::optional<int> fps;                 // --fps
    std::optional<int> crf;                 // --crf: the encoder's quality
    bool keyframes = false;                 // --keyframes
    std::optional<int64_t> firstFrame;      // --frames A-B, from 0
    std::optional<int64_t> lastFrame;       // B, A when one number is given
    std::optional<std::string> fromFrames;  // --from-frames: a folder of frames to encode
    bool keepPartial = false;               // --keep-partial

    // Whether any of them was given.
    bool Any() const {
        return file || to || from || seconds || fps || crf || keyframes || firstFrame ||
               fromFrames || keepPartial;
    }
};

// Each takes an option's value and returns what is wrong with it, empty when
// it is good.
std::string ApplyVideoFile(VideoOptions& o, std::string_view value);
std::string ApplyVideoTo(VideoOptions& o, std::string_view value);
std::string ApplyVideoFrom(VideoOptions& o, std::string_view value);
std::string ApplyVideoSeconds(VideoOptions& o, std::string_view value);
std::string ApplyVideoFps(VideoOptions& o, std::string_view value);
std::string ApplyVideoCrf(VideoOptions& o, std::string_view value);
std::string ApplyVideoFrames(VideoOptions& o, std::string_view value);
std::string ApplyVideoFromFrames(VideoOptions& o, std::string_view value);

}  // namespace galleri
