#include "render/VideoCommand.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>

#include "render/VideoProgress.h"
#include "render/VideoRun.h"

namespace galleri {

namespace {

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// The first Ctrl+C (or SIGTERM, as a batch system sends at its time limit)
// stops the video cleanly; a second one ends the program at once.
extern "C" void OnStopSignal(int signal) {
    stopRequested.store(true);
    std::signal(signal, SIG_DFL);
}

}  // namespace

int RunVideoCommand(const RenderRequest& request) {
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    const bool watched = isatty(STDERR_FILENO) != 0;
    VideoProgressMeter progress(stderr, watched);
    progress.Frames(0, request.video->DrawsFrameFiles()
                           ? *request.video->last - *request.video->first + 1
                           : request.video->frames);
    VideoHooks hooks;
    hooks.cancel = &stopRequested;
    hooks.onFrame = [&progress](int64_t done, int64_t total) { progress.Frames(done, total); };
    const VideoOutcome outcome = RunVideo(request, hooks);
    progress.Finish();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    if (outcome.status != 0 || watched) {
        std::fprintf(stderr, "galleri-render: %s\n", outcome.message.c_str());
    }
    return outcome.status;
}

}  // namespace galleri
