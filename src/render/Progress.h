#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace galleri {

// One line of the progress display: a bar of `barWidth` cells, the columns
// done of all and the elapsed seconds, e.g. "[#####-----]  242/484 columns  1.3 s".
// Without a known total (figures that are not column scans) only the time.
std::string ProgressLine(int done, int total, double seconds, int barWidth);

// The start of a progress line: a bar of `barWidth` cells and the count,
// "[#####-----]  242/484 columns" for `things` "columns"; `done` is held
// within 0 .. total, total at least 1.
std::string ProgressBar(int64_t done, int64_t total, int barWidth, const char* things);

// One line on a terminal, redrawn in place and erased at the end; shows
// nothing unless `enabled` (stderr is a terminal).
class TerminalLine {
  public:
    using Clock = std::chrono::steady_clock;

    TerminalLine(std::FILE* out, bool enabled)
        : out_(out), enabled_(enabled), start_(Clock::now()), lastShown_(start_) {}
    ~TerminalLine() { Erase(); }
    TerminalLine(const TerminalLine&) = delete;
    TerminalLine& operator=(const TerminalLine&) = delete;

    bool Enabled() const { return enabled_; }
    Clock::time_point Start() const { return start_; }
    // Whether a line may be shown now: none was, or the last one `every` ago.
    bool Due(Clock::time_point now, Clock::duration every) const {
        return !shown_ || now - lastShown_ >= every;
    }
    void Show(const std::string& line, Clock::time_point now);
    // Erases the line if one is shown.
    void Erase();

  private:
    std::FILE* out_;
    bool enabled_;
    Clock::time_point start_;
    Clock::time_point lastShown_;
    bool shown_ = false;
};

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

    TerminalLine line_;
    int done_ = 0;
    int total_ = 0;
};

}  // namespace galleri
