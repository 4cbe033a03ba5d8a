#include "render/Progress.h"

#include <algorithm>
#include <cinttypes>

namespace galleri {

namespace {

constexpr auto kQuietStart = std::chrono::milliseconds(500);
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
constexpr int kBarWidth = 30;

}  // namespace

std::string ProgressLine(int done, int total, double seconds, int barWidth) {
    char time[32];
    std::snprintf(time, sizeof time, "%.1f s", seconds);
    if (total <= 0) {
        return std::string("drawing  ") + time;
    }
    done = std::clamp(done, 0, total);
    const int filled = static_cast<int>(int64_t{done} * barWidth / total);
    std::string line;
    line.reserve(static_cast<size_t>(barWidth) + 48);
    line.push_back('[');
    line.append(static_cast<size_t>(filled), '#');
    line.append(static_cast<size_t>(barWidth - filled), '-');
    line.append("]  ");
    line.append(std::to_string(done)).append("/").append(std::to_string(total));
    line.append(" columns  ").append(time);
    return line;
}

ProgressMeter::ProgressMeter(std::FILE* out, bool enabled)
    : out_(out), enabled_(enabled), start_(Clock::now()), lastShown_(start_) {}

void ProgressMeter::Columns(int done, int total) {
    done_ = done;
    total_ = total;
    Show();
}

void ProgressMeter::Tick() {
    Show();
}

void ProgressMeter::Show() {
    if (!enabled_) {
        return;
    }
    const Clock::time_point now = Clock::now();
    if (now - start_ < kQuietStart || (shown_ && now - lastShown_ < kRedrawEvery)) {
        return;
    }
    const double seconds = std::chrono::duration<double>(now - start_).count();
    // \r and "erase to end of line" redraw the one line in place.
    std::fprintf(out_, "\r%s\033[K", ProgressLine(done_, total_, seconds, kBarWidth).c_str());
    std::fflush(out_);
    shown_ = true;
    lastShown_ = now;
}

void ProgressMeter::Finish() {
    if (shown_) {
        std::fprintf(out_, "\r\033[K");
        std::fflush(out_);
        shown_ = false;
    }
}

}  // namespace galleri
