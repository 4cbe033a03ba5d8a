#include "render/VideoProgress.h"

#include <algorithm>
#include <cmath>

namespace galleri {

namespace {

constexpr auto kRedrawEvery = std::chrono::milliseconds(200);
constexpr int kBarWidth = 30;

// "0:43", "12:05", "3:02:11".
std::string Clock(double seconds) {
    const auto s = static_cast<int64_t>(std::llround(std::max(seconds, 0.0)));
    char text[32];
    if (s >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                      static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(s / 60),
                      static_cast<long long>(s % 60));
    }
    return text;
}

}  // namespace

std::string VideoProgressLine(int64_t done, int64_t total, double seconds, int barWidth) {
    total = std::max<int64_t>(total, 1);
    done = std::clamp<int64_t>(done, 0, total);
    const std::string line = ProgressBar(done, total, barWidth, "frames  ");
    char rest[64];
    if (done == 0 || seconds <= 0) {
        std::snprintf(rest, sizeof rest, "%.1f s", seconds);
    } else {
        const double fps = static_cast<double>(done) / seconds;
        std::snprintf(rest, sizeof rest, fps < 10 ? "%.2f fps  %s left" : "%.1f fps  %s left", fps,
                      Clock(static_cast<double>(total - done) / fps).c_str());
    }
    return line + rest;
}

VideoProgressMeter::VideoProgressMeter(std::FILE* out, bool enabled) : line_(out, enabled) {}

void VideoProgressMeter::Frames(int64_t done, int64_t total) {
    if (!line_.Enabled()) {
        return;
    }
    const TerminalLine::Clock::time_point now = TerminalLine::Clock::now();
    if (done < total && !line_.Due(now, kRedrawEvery)) {
        return;
    }
    const double seconds = std::chrono::duration<double>(now - line_.Start()).count();
    line_.Show(VideoProgressLine(done, total, seconds, kBarWidth), now);
}

void VideoProgressMeter::Finish() {
    line_.Erase();
}

}  // namespace galleri
