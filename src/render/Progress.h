#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace galleri {

// One line of the progress display: a bar of `barWidth` cells, the columns
// done of all and the elapsed seconds, e.g. "[#####-----]  242/484 columns  1.3 s".
// Without a known total (figures that are not column scans) only the time.
std::string ProgressLine(int done, int total, double seconds, int barWidth);

// Shows the progress of a long drawing on a terminal: nothing during the
// first half second, then one line redrawn in place a few times a second,
// erased when the drawing ends.
class ProgressMeter {
  public:
    using Clock = std::chrono::steady_clock;

    // Shows nothing unless `enabled` (stderr is a terminal).
    ProgressMeter(std::FILE* out, bool enabled);
    ~ProgressMeter() { Finish(); }
    ProgressMeter(const ProgressMeter&) = delete;
    ProgressMeter& operator=(const ProgressMeter&) = delete;

    // Columns of the scan done so far, of all.
    void Columns(int done, int total);
    // A message point of a drawing without columns.
    void Tick();
    // Erases the line if one was shown.
    void Finish();

  private:
    void Show();

    std::FILE* out_;
    bool enabled_;
    Clock::time_point start_;
    Clock::time_point lastShown_;
    bool shown_ = false;
    int done_ = 0;
    int total_ = 0;
};

}  // namespace galleri
