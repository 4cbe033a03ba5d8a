#include "render/Progress.h"

#include <algorithm>
#include <cinttypes>

namespace galleri {

namespace {

constexpr auto kQuietStart = std::chrono::milliseconds(500);
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
constexpr int kBarWidth = 30;

}  // namespace

std::string ProgressBar(int64_t done, int64_t total, int barWidth, const char* things) {
    total = std::max<int64_t>(total, 1);
    done = std::clamp<int64_t>(done, 0, total);
    const auto filled = static_cast<int>(done * barWidth / total);
    std::string line;
    line.reserve(static_cast<size_t>(barWidth) + 48);
    line.push_back('[');
    line.append(static_cast<size_t>(filled), '#');
    line.append(static_cast<size_t>(barWidth - filled), '-');
    line.append("]  ");
    line.append(std::to_string(done)).append("/").append(std::to_string(total));
    line.append(" ").append(things);
    return line;
}

std::string ProgressLine(int done, int total, double seconds, int barWidth) {
    char time[32];
    std::snprintf(time, sizeof time, "%.1f s", seconds);
    if (total <= 0) {
        return std::string("drawing  ") + time;
    }
    return ProgressBar(done, total, barWidth, "columns") + "  " + time;
}

void TerminalLine::Show(const std::string& line, Clock::time_point now) {
    // \r and "erase to end of line" redraw the one line in place.
    std::fprintf(out_, "\r%s\033[K", line.c_str());
    std::fflush(out_);
    shown_ = true;
    lastShown_ = now;
}

void TerminalLine::Erase() {
    if (shown_) {
        std::fprintf(out_, "\r\033[K");
        std::fflush(out_);
        shown_ = false;
    }
}

ProgressMeter::ProgressMeter(std::FILE* out, bool enabled) : line_(out, enabled) {}

void ProgressMeter::Columns(int done, int total) {
    done_ = done;
    total_ = total;
    Show();
}

void ProgressMeter::Tick() {
    Show();
}

void ProgressMeter::Show() {
    if (!line_.Enabled()) {
        return;
    }
    const TerminalLine::Clock::time_point now = TerminalLine::Clock::now();
    if (now - line_.Start() < kQuietStart || !line_.Due(now, kRedrawEvery)) {
        return;
    }
    const double seconds = std::chrono::duration<double>(now - line_.Start()).count();
    line_.Show(ProgressLine(done_, total_, seconds, kBarWidth), now);
}

void ProgressMeter::Finish() {
    line_.Erase();
}

}  // namespace galleri
