#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/ViewWorker.h"
#include "colour/Palette.h"
#include "escape/PlaneFigure.h"
#include "surface/Random.h"
#include "view/AutoBudget.h"
#include "view/ColouringText.h"
#include "view/ExploreView.h"
#include "view/ViewGeometry.h"
#include "view/ViewHistory.h"

class QMimeData;
class QWidget;

namespace galleri {

struct Command;
class PictureView;
class SmoothColouring;
class Surface;

// Exploring the figure of the plane that the last menu command drew: the
// gestures of the picture control turn into views, which a render thread
// draws with an engine of its own while the window stays free. The view
// being drawn is shown at once (the old picture moved into place, then a
// coarse pass, then the exact picture); the exact picture becomes the
// surface's picture. Menu commands go on as ever: the explorer cancels its
// work before they run and ignores input while they do.
class Explorer : public QObject {
    Q_OBJECT

  public:
    // window: where the Copy view shortcut lives.
    Explorer(Surface& surface, PictureView& view, QWidget* window);
    ~Explorer() override;

    // Around a menu command's run.
    enum class RunEnd { Done, Stopped, Failed };
    void BeforeCommand();
    void AfterCommand(const Command& command, RunEnd end);

    // The status line: the figure's caption, the point under the cursor
    // (when over the picture) with the digits the depth needs, the zoom,
    // the budget and how long the last picture took.
    std::string StatusText(std::optional<PicturePoint> cursor) const;
    // How long the picture shown took to draw (a menu command's run or a
    // view's exact pass), in seconds; negative when not known.
    void SetLastSeconds(double seconds) { lastSeconds_ = seconds; }
    // The menu command whose figure is shown, once its run is over.
    const Command* CurrentCommand() const { return command_; }
    // A figure of the plane is shown and no menu command runs.
    bool Explorable() const;
    // A view is being drawn.
    bool Drawing() const { return drawing_; }
    // The view shown or being drawn, its edges rounded to doubles when it
    // is deep; none when nothing can be explored.
    std::optional<PlaneRect> CurrentView() const;
    // The same at any depth.
    std::optional<ExploreView> CurrentExploreView() const;
    const ViewHistory* History() const { return history_ ? &*history_ : nullptr; }

    // Gestures, at picture positions (picture pixels, continuous).
    void ZoomAt(PicturePoint p, double factor);
    void Wheel(PicturePoint p, int angleDelta);
    void DragRect(PicturePoint a, PicturePoint b);
    void PanStart();
    void PanLive(double dxPixels, double dyPixels);  // from where the pan started
    void PanDone();
    void PanEighths(int right, int up);
    // S: the current view with square pixels about its centre.
    void SquarePixels();
    void Back();
    void Forward();
    // Home: the figure's own rectangle with its own iteration budget.
    void Home();
    // ] and [: the iteration budget doubled, or halved but never below the
    // figure's own; the current view is drawn again with it.
    void ScaleBudget(bool up);
    // The most iterations a point of the current view gets.
    int64_t Budget() const { return budget_; }
    // Whether the budget follows the pictures: raised while points still
    // use all of it and some escape near it, lowered once none come near.
    // On at every menu command and Home; ] and [ turn it off.
    bool AutoBudget() const { return autoBudget_; }
    void SetAutoBudget(bool on) { autoBudget_ = on; }
    // Shows `view` of the figure shown (a location), with `iterations` when
    // given (then kept, not chosen automatically); false, with the reason
    // noted, when it cannot be drawn.
    bool ShowLocation(const ExploreView& view, std::optional<int64_t> iterations);
    // R: the current view drawn again at the picture control's present
    // size (after a resize the old picture is shown stretched until then).
    void RedrawAtWindowSize();
    // Escape: the view being drawn gives up; it stays the current view.
    void Escape();

    // Makes the surface's picture the exact picture of the current view,
    // drawing what is left of it first (under the hourglass). False, with
    // the reason in `error`, when the view could not be drawn.
    bool FinishView(QString* error = nullptr);

    // The galleri-render arguments that redraw the surface's picture
    // exactly (figure, size, and the view when not the figure's own), or
    // empty when none do: before any figure, after a run that was stopped
    // or failed, and for a figure drawn from random numbers once the
    // sequence has moved on from program start (galleri-render starts it
    // afresh).
    std::string PictureArguments() const;
    // The galleri-render command line of the current view (or, for other
    // figures, of the picture), or empty.
    std::string CommandLine() const;
    // Ctrl+Shift+C: the command line onto the clipboard.
    void CopyView();

    // Hands the picture to a drag: as an image and as a PNG file in a
    // folder that lives as long as the program.
    void DragOut();
    // Runs the drag; tests replace it to keep the drag loop away.
    std::function<void(std::unique_ptr<QMimeData>)> startDrag;

    // Tests hold the render thread's jobs here (see ViewWorker::Gate).
    void SetJobGate(ViewWorker::Gate gate);

    // The colouring every figure of the plane is drawn in, its views and
    // its menu command alike; the figure's own colours at first. Choosing
    // one while a figure of the plane is shown draws its current view again
    // in it; other figures keep their colours.
    const ColouringChoice& Colouring() const { return colouring_; }
    const std::vector<Stop>& PaletteStops() const { return paletteStops_; }
    // A colouring with its palette's stops (read and checked by the
    // caller). False, with the reason noted, when it cannot colour (a
    // density not above 0). With redraw false the view shown stays as it is
    // until it is next drawn.
    bool SetColouring(const ColouringChoice& choice, std::vector<Stop> stops, bool redraw = true);
    void SetSmooth(bool on);
    // D and Shift+D: half or twice the iterations one pass through the
    // palette spans.
    void ScaleDensity(bool denser);
    // , and .: the palette moved steps of 1/64 of a pass back or on.
    void StepOffset(int steps);
    static constexpr int kOffsetStepEntries = 64;
    // C: the palette cycles through the picture until stopped; saving,
    // copying and dragging the picture out stop it.
    void SetCycling(bool on);
    bool Cycling() const { return cycleTimer_.isActive(); }
    // Samples a pixel each way, 1 (off) to kMaxSupersample.
    void SetSupersample(int samples);
    // "smooth, palette fire, density 20", "supersample 2x2"; empty for the
    // figures' own colours at one sample.
    std::string ColouringText() const;
    // The smooth colouring a menu command draws in; null for its own colours.
    const SmoothColouring* CommandColouring(const Command& command) const;

  signals:
    // The exact picture of a view became the surface's picture.
    void viewDrawn();
    // The colouring changed (the cycling moves it on every step).
    void colouringChanged();

  private:
    ViewFrame Frame() const;
    ViewWorker& Worker();
    // Draws `view`, or says why it cannot; the history is the caller's.
    bool Show(const ExploreView& view, const std::string& note);
    // A gesture's view: the double arithmetic while its result is drawn in
    // doubles, else the same gesture in arbitrary precision.
    template <typename OnDoubles, typename OnDeep>
    ExploreView Gesture(const ExploreView& from, OnDoubles onDoubles, OnDeep onDeep) const;
    bool DrawnInDoubles(const PlaneRect& view) const;
    // Zooming out stops at 1/kMostZoomOut of the figure's own rectangle.
    static constexpr int kMostZoomOut = 16;
    bool ZoomedOutTooFar(const ExploreView& view) const;
    // Whether the deep engine draws `view` for this kind of map.
    static bool DeepReaches(IterationKind kind, const DeepRect& view, const ViewFrame& frame);
    // The automatic budget after an exact picture with this evidence.
    void AdjustBudget(const BudgetEvidence& evidence);
    // galleri-render's arguments for `view` at `budget`.
    std::string ViewArguments(const ExploreView& view, int64_t budget,
                              const ColouringChoice& colouring) const;
    // Raises in a row for one view, 8 times the budget it started with:
    // each draws the view again, so a deep dive raises it step by step.
    static constexpr int kMaxRaises = 3;
    // The current view at the picture's size, or at another; a quiet job
    // has no coarse pass.
    void StartJob(bool quiet = false);
    // The job on the render thread, if any, gives up.
    void CancelJob();
    // The surface's picture, which is the current view's, on screen.
    void ShowExact();
    void StartJobAt(int width, int height, bool quiet = false);
    // After a change of colouring: the view in its new colours, from the
    // stored values when it can be, else drawn again.
    void ColouringChanged(const std::string& note);
    // Whether the surface's picture can take the current colouring from
    // its values, and how many gradient entries they move.
    bool CanRecolour() const;
    int RecolourShift() const;
    void CycleStep();
    // Whether two colourings draw the same picture.
    static bool SameColours(const ColouringChoice& a, const ColouringChoice& b);
    // The cycling's pace: a step of kCycleEntries gradient entries every
    // kCycleMs, a pass through the palette in about five seconds.
    static constexpr int kCycleMs = 40;
    static constexpr int kCycleEntries = 32;
    void OnResult(ViewResult result);
    void ShowZoom(const std::string& note);
    // The note of a deep view being drawn: the reference orbit's share of
    // the budget, then the pixels' share of the picture.
    void ShowProgress();
    // A gesture other than the wheel ends the wheel's history step.
    void EndWheel() { wheelOpen_ = false; }
    QString DragFilePath();

    Surface& surface_;
    PictureView& view_;
    std::unique_ptr<ViewWorker> worker_;
    ViewWorker::Gate gate_;
    uint64_t generation_ = 0;  // results of older generations are dropped

    const Command* command_ = nullptr;  // the last command's, once its run is over
    std::optional<PlaneFigure> figure_;
    std::optional<ViewHistory> history_;
    bool active_ = false;
    bool drawing_ = false;                  // a job of this generation is on the render thread
    bool viewPending_ = false;              // a gesture's view whose exact picture is not in yet
    ExploreView targetView_;                // the current view
    ExploreView shownView_;                 // the view of the image on screen
    std::optional<ExploreView> exactView_;  // the view the surface's picture shows
    int64_t budget_ = 0;                    // the current view's iterations a point
    int64_t ownBudget_ = 0;                 // the figure's own
    int64_t jobBudget_ = 0;                 // of the job on the render thread
    int64_t exactBudget_ = 0;               // of the surface's picture
    bool autoBudget_ = true;
    int raises_ = 0;       // automatic raises since the last gesture
    int64_t lowerTo_ = 0;  // an automatic lowering for the next gesture's view
    QImage exactImage_;

    ExploreView panFrom_;
    bool wheelOpen_ = false;  // the wheel's last step may still grow
    QElapsedTimer wheelClock_;
    QElapsedTimer jobClock_;   // since the job on the render thread started
    double lastSeconds_ = -1;  // the picture shown took
    QTimer progressTimer_;     // the note's progress while a deep view is drawn

    // Figures other than those of the plane: whether the picture is what
    // galleri-render draws.
    RandomGenerator rngBefore_;
    bool reproducible_ = false;

    ColouringChoice colouring_;
    std::vector<Stop> paletteStops_;                   // colouring_'s palette
    std::shared_ptr<const SmoothColouring> smooth_;    // of colouring_, when smooth
    ColouringChoice jobColouring_;                     // of the job on the render thread
    ColouringChoice exactColouring_;                   // of the surface's picture
    std::shared_ptr<const SmoothValues> exactValues_;  // of the surface's picture, if known
    QTimer cycleTimer_;

    std::unique_ptr<QTemporaryDir> dragFolder_;
    int dragFiles_ = 0;
};

}  // namespace galleri
