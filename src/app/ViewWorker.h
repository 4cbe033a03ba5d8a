#pragma once

#include <QImage>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "app/SmoothValues.h"
#include "deep/DeepEngine.h"
#include "escape/PlaneFigure.h"
#include "escape/ViewRender.h"
#include "surface/Bitmap.h"
#include "view/AutoBudget.h"
#include "view/ExploreView.h"

namespace galleri {

class EscapeEngine;
class SmoothColouring;

// One view to draw, tagged with the explorer's generation at the time.
struct ViewJob {
    PlaneFigure figure;  // with the job's budget
    ExploreView view;
    int width = 0;
    int height = 0;
    uint64_t generation = 0;
    // Whether the result should say what the pixels did with the budget
    // (a view of doubles then takes a probe after its exact pass).
    bool wantsEvidence = false;
    // The smooth colouring, kept alive for the job; null: the figure's own
    // colours.
    std::shared_ptr<const SmoothColouring> smooth;
    // Samples a pixel each way in the exact pass.
    int supersample = 1;
    // No coarse pass: the same view in other colours, whose picture on
    // screen stays until the exact one is in.
    bool quiet = false;
};

// A pass of a view, ready for the interface thread: the picture in the
// display's layout, and after the exact pass the colour values themselves.
// A job that raised an error reports it instead.
struct ViewResult {
    uint64_t generation = 0;
    ExploreView view;
    ViewPass pass = ViewPass::Coarse;
    QImage image;
    std::shared_ptr<Bitmap> exact;  // exact pass only
    std::string error;              // set when the view could not be drawn
    BudgetEvidence evidence;        // exact pass only: what the pixels did with the budget
    // Exact pass only: the smooth values of a view of doubles drawn at one
    // sample a pixel, for colouring it again; null otherwise.
    std::shared_ptr<const SmoothValues> values;
};

// The explorer's render thread: draws one view at a time with an engine of
// its own, a new job cancelling the one being drawn (as in Qt's Mandelbrot
// example). Results go to `deliver`, called on the render thread; it should
// post them to the interface thread.
class ViewWorker {
  public:
    using Deliver = std::function<void(ViewResult)>;
    // Runs on the render thread before each job is drawn, with the job's
    // cancel flag; tests hold a job there to catch it in the middle.
    using Gate = std::function<void(const std::atomic<bool>& cancel)>;

    ViewWorker(std::unique_ptr<EscapeEngine> engine, Deliver deliver);
    ~ViewWorker();
    ViewWorker(const ViewWorker&) = delete;
    ViewWorker& operator=(const ViewWorker&) = delete;

    // Draws `job` next; the job being drawn, if any, gives up.
    void Start(ViewJob job);
    // The job being drawn gives up, and a job not yet begun is dropped.
    void Cancel();
    // Returns once no job is being drawn or waiting.
    void WaitIdle();

    void SetGate(Gate gate);
    // How far the deep view being drawn has come; read from any thread.
    const DeepEngine::Progress& DeepProgress() const;

  private:
    void Run();
    void Draw(const ViewJob& job);

    std::unique_ptr<EscapeEngine> engine_;
    std::unique_ptr<DeepEngine> deepEngine_;  // for the views below a double's floor
    Deliver deliver_;
    Gate gate_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<ViewJob> pending_;
    bool busy_ = false;
    bool quit_ = false;
    std::atomic<bool> cancel_{false};
    Bitmap picture_;  // the render thread's own; reused from view to view
    std::thread thread_;
};

}  // namespace galleri
