#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "render/Arguments.h"

namespace galleri {

// What a video's run tells as it goes, and what stops it.
struct VideoHooks {
    // Set by Ctrl+C, SIGTERM or the window's Cancel: the frame being drawn
    // is given up.
    const std::atomic<bool>* cancel = nullptr;
    // After each frame drawn (or read, for --from-frames) and handed on:
    // how many of this run's frames are done.
    std::function<void(int64_t done, int64_t total)> onFrame;
};

struct VideoOutcome {
    int status = 0;       // the exit status
    std::string message;  // one line: what was written, or what went wrong
    bool stopped = false;
};

// Makes what request.video asks for: the video (drawing its frames, or
// encoding a folder of them with --from-frames), or some of its frames as
// PNG files (--frames). Every frame is the still of its view drawn by
// DrawStill with the request's options, or, with --keyframes, made from two
// such stills by scaling. Nothing is written when it fails or is stopped
// (but the frame files already complete, and the video of the frames so
// far with --keep-partial).
VideoOutcome RunVideo(const RenderRequest& request, const VideoHooks& hooks = {});

// What makes the frames of a video what they are, for the text each frame
// file carries: "300 frames from VIEW to VIEW[ by keyframes]; --size WxH
// ... ITEM" (the still's options but the view).
std::string VideoIdentity(const RenderRequest& request);

}  // namespace galleri
