#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "render/Progress.h"

namespace galleri {

// One line of a video's progress: a bar of `barWidth` cells, the frames
// done of all, frames a second and the time left at that pace, e.g.
// "[#####-----]  120/300 frames  4.1 fps  0:43 left"; before the first
// frame, the seconds so far.
std::string VideoProgressLine(int64_t done, int64_t total, double seconds, int barWidth);

// Shows a video's progress on a terminal, one line redrawn in place after
// each frame (at most a few times a second), erased when the run ends.
class VideoProgressMeter {
  public:
    // Shows nothing unless `enabled` (stderr is a terminal).
    VideoProgressMeter(std::FILE* out, bool enabled);
    ~VideoProgressMeter() { Finish(); }
    VideoProgressMeter(const VideoProgressMeter&) = delete;
    VideoProgressMeter& operator=(const VideoProgressMeter&) = delete;

    void Frames(int64_t done, int64_t total);
    void Finish();

  private:
    TerminalLine line_;
};

}  // namespace galleri
