#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "video/VideoEncoder.h"
#include "view/ExploreView.h"

namespace galleri {

// What galleri-render's --video and the options with it ask for, checked
// against the figure and the picture size.
struct VideoRequest {
    std::string file;  // the video to write, or whose frames --frames draws
    VideoFormat format = VideoFormat::Mp4;
    // The views of the first and the last frame, each as a still of the
    // same size draws it from its text (in doubles above the floor).
    ExploreView from, to;
    bool fromOwn = true;  // the first view is the figure's own
    int64_t frames = 0;   // in the whole video
    int fps = 30;
    int crf = 20;
    bool keyframes = false;
    // --frames FIRST-LAST: only these are drawn, as PNG files in `folder`.
    std::optional<int64_t> first, last;
    std::string folder;
    // --from-frames: the folder whose frames are encoded instead.
    std::optional<std::string> fromFrames;
    bool keepPartial = false;

    bool DrawsFrameFiles() const { return first.has_value(); }
};

}  // namespace galleri
