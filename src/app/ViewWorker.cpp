#include "app/ViewWorker.h"

#include <exception>
#include <utility>

#include "app/PictureView.h"
#include "deep/DeepRender.h"
#include "escape/EscapeScan.h"
#include "escape/FastEngine.h"

namespace galleri {

namespace {

int ThreadsOf(const EscapeEngine* engine) {
    const auto* fast = dynamic_cast<const FastEngine*>(engine);
    return fast != nullptr ? fast->Threads() : 1;
}

}  // namespace

ViewWorker::ViewWorker(std::unique_ptr<EscapeEngine> engine, Deliver deliver)
    : engine_(std::move(engine)),
      deepEngine_(std::make_unique<DeepEngine>(ThreadsOf(engine_.get()))),
      deliver_(std::move(deliver)),
      thread_([this] { Run(); }) {}

const DeepEngine::Progress& ViewWorker::DeepProgress() const {
    return deepEngine_->GetProgress();
}

ViewWorker::~ViewWorker() {
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
        pending_.reset();
        cancel_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void ViewWorker::Start(ViewJob job) {
    {
        const std::lock_guard lock(mutex_);
        pending_ = std::move(job);
        cancel_ = true;
    }
    wake_.notify_all();
}

void ViewWorker::Cancel() {
    const std::lock_guard lock(mutex_);
    pending_.reset();
    cancel_ = true;
}

void ViewWorker::WaitIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !busy_ && !pending_; });
}

void ViewWorker::SetGate(Gate gate) {
    const std::lock_guard lock(mutex_);
    gate_ = std::move(gate);
}

void ViewWorker::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return quit_ || pending_; });
        if (quit_) {
            return;
        }
        const ViewJob job = std::move(*pending_);
        pending_.reset();
        // Only Start and Cancel set the flag, under the lock: from here on it
        // belongs to this job.
        cancel_ = false;
        busy_ = true;
        const Gate gate = gate_;
        lock.unlock();
        if (gate) {
            gate(cancel_);
        }
        Draw(job);
        lock.lock();
        busy_ = false;
        if (!pending_) {
            idle_.notify_all();
        }
    }
}

void ViewWorker::Draw(const ViewJob& job) {
    ViewResult result;
    result.generation = job.generation;
    result.view = job.view;
    try {
        // The coarse pass is shown as it stands; the exact pass is handed
        // over whole once the renderer says it is complete.
        const auto onPass = [&](ViewPass pass, const Bitmap& picture) {
            if (pass == ViewPass::Coarse) {
                ViewResult coarse = result;
                coarse.image = ToDisplayImage(picture);
                deliver_(std::move(coarse));
            }
        };
        PlaneFigure figure = job.figure;
        figure.params.smooth = job.smooth.get();
        ViewRenderOptions options;
        options.supersample = job.supersample;
        if (job.view.Deep()) {
            options.coarseStep = job.quiet ? 1 : 8;
            if (!RenderDeepView(figure, *job.view.deep, job.width, job.height, *deepEngine_,
                                cancel_, picture_, onPass, options)) {
                return;
            }
            const DeepEngine::Stats& stats = deepEngine_->GetStats();
            result.evidence = {Budget(job.figure.params), int64_t{job.width} * job.height,
                               stats.reachedBudget, stats.escapedNearBudget, stats.mostEscaped};
        } else {
            if (job.quiet) {
                options.coarseStep = 1;
            }
            const PlaneRect& plane = job.view.plane;
            if (job.smooth && job.supersample == 1) {
                // The values too, so that other colours of this view need no
                // point computed again.
                ValueRecorder recorder(*engine_,
                                       MakeScanGrid(plane.left, plane.right, plane.bottom,
                                                    plane.top, job.width, job.height, figure.scan),
                                       job.width, job.height);
                if (!RenderView(figure, plane, job.width, job.height, recorder, cancel_, picture_,
                                onPass, options)) {
                    return;
                }
                result.values = recorder.Take();
            } else if (!RenderView(figure, plane, job.width, job.height, *engine_, cancel_,
                                   picture_, onPass, options)) {
                return;
            }
            if (job.wantsEvidence) {
                result.evidence =
                    ProbeBudget(job.figure.params, plane,
                                {job.width, job.height, job.figure.scan.divisorExtra});
            }
        }
        result.pass = ViewPass::Exact;
        result.image = ToDisplayImage(picture_);
        // The picture moves to the result; the next view starts afresh.
        result.exact = std::make_shared<Bitmap>(std::exchange(picture_, Bitmap()));
    } catch (const std::exception& e) {
        picture_ = Bitmap();
        result.error = e.what();
    }
    deliver_(std::move(result));
}

}  // namespace galleri
