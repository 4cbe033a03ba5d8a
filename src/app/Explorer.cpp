#include "app/Explorer.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>

#include "app/PictureDrag.h"
#include "app/PictureView.h"
#include "colour/BuiltinPalettes.h"
#include "commands/Commands.h"
#include "commands/Descriptions.h"
#include "commands/Options.h"
#include "escape/FastEngine.h"
#include "surface/Surface.h"
#include "view/PrecisionFloor.h"
#include "view/ViewText.h"

namespace galleri {

namespace {

// Wheel turns closer together than this make one step of the history, so
// that a touchpad's stream of small turns is gone back over at once.
constexpr qint64 kWheelStepMs = 600;

// An engine of the same kind as the window's, for the render thread alone.
std::unique_ptr<EscapeEngine> EngineLike(const Surface& surface) {
    EscapeEngine* engine = surface.Engine();
    const FastEngine* fast =
        engine == nullptr ? &DefaultFastEngine() : dynamic_cast<const FastEngine*>(engine);
    if (fast != nullptr) {
        return std::make_unique<FastEngine>(fast->Threads(), fast->Path());
    }
    return std::make_unique<ScalarEngine>();
}

// Whether two generators give the same numbers from here on.
bool SameSequence(RandomGenerator a, RandomGenerator b) {
    for (int k = 0; k < 4; ++k) {
        if (a.NextU32() != b.NextU32()) {
            return false;
        }
    }
    return true;
}

// Where the picture of view `shown` lies in the picture of view `target`,
// in picture pixels.
QRectF PlaceOf(const ExploreView& shown, const ExploreView& target, const ViewFrame& frame) {
    const auto [a, b] = PlaceIn(shown, target, frame);
    if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y)) {
        return {};
    }
    return QRectF(QPointF(a.x, a.y), QPointF(b.x, b.y)).normalized();
}

// The hourglass while the interface waits for a drawing.
class Hourglass {
  public:
    Hourglass() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { QGuiApplication::restoreOverrideCursor(); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
};

}  // namespace

Explorer::Explorer(Surface& surface, PictureView& view, QWidget* window)
    : surface_(surface), view_(view) {
    auto* copyView = new QAction(QStringLiteral("Copy view"), window);
    copyView->setObjectName(QStringLiteral("copyView"));
    copyView->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    copyView->setShortcutContext(Qt::WindowShortcut);
    window->addAction(copyView);
    connect(copyView, &QAction::triggered, this, [this] { CopyView(); });

    progressTimer_.setInterval(500);
    connect(&progressTimer_, &QTimer::timeout, this, [this] { ShowProgress(); });
    paletteStops_ = FindBuiltinPalette(kDefaultPalette)->stops;
    cycleTimer_.setInterval(kCycleMs);
    connect(&cycleTimer_, &QTimer::timeout, this, [this] { CycleStep(); });

    startDrag = [this](std::unique_ptr<QMimeData> mime) {
        auto* drag = new QDrag(&view_);
        const QImage image = qvariant_cast<QImage>(mime->imageData());
        drag->setPixmap(QPixmap::fromImage(
            image.scaled(128, 128, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        drag->setMimeData(mime.release());
        drag->exec(Qt::CopyAction);
    };
}

Explorer::~Explorer() {
    worker_.reset();  // cancels and joins the render thread
}

void Explorer::SetJobGate(ViewWorker::Gate gate) {
    gate_ = gate;
    if (worker_) {
        worker_->SetGate(std::move(gate));
    }
}

ViewWorker& Explorer::Worker() {
    if (!worker_) {
        worker_ = std::make_unique<ViewWorker>(EngineLike(surface_), [this](ViewResult result) {
            QMetaObject::invokeMethod(
                this, [this, result]() mutable { OnResult(std::move(result)); },
                Qt::QueuedConnection);
        });
        worker_->SetGate(gate_);
    }
    return *worker_;
}

void Explorer::BeforeCommand() {
    ++generation_;
    if (worker_) {
        worker_->Cancel();
        worker_->WaitIdle();
    }
    command_ = nullptr;
    active_ = false;
    drawing_ = false;
    viewPending_ = false;
    EndWheel();
    view_.EndGestures();
    // The run paints the surface's picture as it grows, as ever.
    view_.ClearViewImage();
    rngBefore_ = surface_.Rng;
    exactValues_.reset();
}

void Explorer::AfterCommand(const Command& command, RunEnd end) {
    command_ = &command;
    figure_ = command.Plane();
    const bool complete = end == RunEnd::Done;
    // A figure that drew random numbers matches galleri-render only when it
    // started from the sequence's beginning, as galleri-render does.
    reproducible_ = complete && (SameSequence(rngBefore_, surface_.Rng) ||
                                 SameSequence(rngBefore_, RandomGenerator()));
    // The run disabled the window, which took the keyboard focus from the
    // picture; the keys of exploring go there.
    view_.setFocus();
    history_.reset();
    exactView_.reset();
    exactImage_ = QImage();
    // The run drew in the colouring CommandColouring gave it, one sample a
    // pixel.
    exactColouring_ = colouring_;
    exactColouring_.supersample = 1;
    active_ = figure_.has_value() && end != RunEnd::Failed;
    if (!active_) {
        return;
    }
    history_.emplace(figure_->own);
    targetView_ = shownView_ = figure_->own;
    ownBudget_ = budget_ = exactBudget_ = galleri::Budget(figure_->params);
    autoBudget_ = true;
    raises_ = 0;
    lowerTo_ = 0;
    const QImage shown = ToDisplayImage(surface_.Picture());
    if (complete) {
        exactView_ = figure_->own;
        exactImage_ = shown;
    }
    view_.ShowViewImage(shown);
    if (complete && colouring_.supersample > 1) {
        // The samples the menu run does not take.
        viewPending_ = true;
        StartJob(true);
    }
}

bool Explorer::Explorable() const {
    return active_ && figure_ && !surface_.RunOpen() && !surface_.Picture().Empty();
}

std::optional<PlaneRect> Explorer::CurrentView() const {
    return active_ ? std::optional<PlaneRect>(targetView_.plane) : std::nullopt;
}

std::optional<ExploreView> Explorer::CurrentExploreView() const {
    return active_ ? std::optional<ExploreView>(targetView_) : std::nullopt;
}

bool Explorer::DrawnInDoubles(const PlaneRect& view) const {
    const ViewFrame frame = Frame();
    try {
        return !ViewRefusal(view, frame.width, frame.height, figure_->scan);
    } catch (const std::exception&) {
        return true;  // a size the figure cannot draw: Show says so
    }
}

template <typename OnDoubles, typename OnDeep>
ExploreView Explorer::Gesture(const ExploreView& from, OnDoubles onDoubles, OnDeep onDeep) const {
    if (!from.Deep()) {
        const PlaneRect view = onDoubles(from.plane);
        if (DrawnInDoubles(view)) {
            return view;
        }
        // Past the floor: the same gesture from the same view, exactly.
        DeepRect deep = onDeep(ToDeepRect(from.plane));
        if (DeepViewRefusal(deep)) {
            return view;  // Show tells why not
        }
        return ExploreView(std::move(deep));
    }
    ExploreView view(onDeep(*from.deep));
    if (!DeepViewRefusal(*view.deep) && DrawnInDoubles(view.plane)) {
        return view.plane;  // back above the floor
    }
    return view;
}

ViewFrame Explorer::Frame() const {
    return {surface_.Picture().Width(), surface_.Picture().Height(),
            figure_ ? figure_->scan.divisorExtra : 0};
}

bool Explorer::Show(const ExploreView& view, const std::string& note) {
    const ViewFrame frame = Frame();
    std::optional<std::string> refusal;
    try {
        refusal = view.Deep() ? DeepViewRefusal(*view.deep)
                              : ViewRefusal(view.plane, frame.width, frame.height, figure_->scan);
    } catch (const std::exception& e) {
        refusal = e.what();
    }
    if (!refusal && view.Deep() && !DeepReaches(figure_->params.kind, *view.deep, frame)) {
        refusal = std::string("cannot zoom further: this map's deep views reach pixels ") +
                  "1e-290 apart (z^2 + c and its Julia sets go deeper)";
    }
    if (!refusal && ZoomedOutTooFar(view)) {
        refusal = "zoomed out as far as it goes: 1/" + std::to_string(kMostZoomOut) +
                  " of the figure's own rectangle";
    }
    if (refusal) {
        view_.ShowNote(QString::fromStdString(*refusal));
        return false;
    }
    if (!SameView(view, targetView_)) {
        raises_ = 0;  // a new view: the budget may rise again
        if (autoBudget_ && lowerTo_ > 0) {
            budget_ = lowerTo_;
        }
        lowerTo_ = 0;
    }
    targetView_ = view;
    if (exactView_ && SameView(view, *exactView_) && exactBudget_ == budget_ &&
        SameColours(exactColouring_, colouring_)) {
        // Back to the picture the surface holds: nothing to draw.
        ShowExact();
    } else {
        view_.PlaceViewImage(PlaceOf(shownView_, view, frame));
        viewPending_ = true;
        StartJob();
    }
    ShowZoom(note);
    return true;
}

void Explorer::CancelJob() {
    ++generation_;
    if (worker_) {
        worker_->Cancel();
    }
    drawing_ = false;
}

void Explorer::ShowExact() {
    CancelJob();
    viewPending_ = false;
    shownView_ = targetView_;
    view_.ShowViewImage(exactImage_);
}

void Explorer::StartJob(bool quiet) {
    const ViewFrame frame = Frame();
    StartJobAt(frame.width, frame.height, quiet);
}

void Explorer::StartJobAt(int width, int height, bool quiet) {
    ++generation_;
    drawing_ = true;
    jobBudget_ = budget_;
    jobColouring_ = colouring_;
    jobClock_.start();
    if (targetView_.Deep()) {
        progressTimer_.start();
    }
    // The automatic budget reads what the pixels did; the figure's own
    // picture and a budget set by hand do not need it.
    const bool evidence = autoBudget_ && !SameView(targetView_, history_->Own());
    Worker().Start({WithBudget(*figure_, budget_), targetView_, width, height, generation_,
                    evidence, colouring_.smooth ? smooth_ : nullptr, colouring_.supersample,
                    quiet});
}

void Explorer::OnResult(ViewResult result) {
    if (result.generation != generation_) {
        return;  // a view that was given up since
    }
    if (!result.error.empty()) {
        drawing_ = false;
        view_.ShowNote(QStringLiteral("The view could not be drawn: ") +
                       QString::fromStdString(result.error));
        return;
    }
    shownView_ = result.view;
    view_.ShowViewImage(result.image);
    if (result.pass != ViewPass::Exact) {
        return;
    }
    drawing_ = false;
    viewPending_ = false;
    if (progressTimer_.isActive()) {
        progressTimer_.stop();
        ShowZoom({});  // the progress gives way to the view's own note
    }
    exactView_ = result.view;
    exactBudget_ = jobBudget_;
    exactColouring_ = jobColouring_;
    exactValues_ = std::move(result.values);
    lastSeconds_ = jobClock_.isValid() ? static_cast<double>(jobClock_.elapsed()) / 1000 : -1;
    exactImage_ = result.image;
    AdjustBudget(result.evidence);
    // The surface's picture and plane window as a run of this view leaves
    // them: saving, copying and the next figure see this view.
    surface_.Picture() = result.exact.use_count() == 1 ? std::move(*result.exact) : *result.exact;
    if (figure_->storesWindow) {
        surface_.SetPlaneWindow(result.view.plane.left, result.view.plane.right,
                                result.view.plane.bottom, result.view.plane.top);
    }
    emit viewDrawn();
    if (budget_ != exactBudget_ && SameView(targetView_, *exactView_)) {
        // Raised: the same view again, with more detail.
        viewPending_ = true;
        StartJob();
        ShowZoom("iterations raised");
    }
}

void Explorer::AdjustBudget(const BudgetEvidence& evidence) {
    // The figure's own picture stays the menu command's.
    if (!autoBudget_ || evidence.budget == 0 || SameView(targetView_, history_->Own())) {
        return;
    }
    const int64_t next = NextBudget(evidence, ownBudget_, kMaxIterations);
    if (next > budget_ && raises_ < kMaxRaises) {
        ++raises_;
        budget_ = next;
    } else if (next < budget_) {
        lowerTo_ = next;
    }
}

bool Explorer::DeepReaches(IterationKind kind, const DeepRect& view, const ViewFrame& frame) {
    // The quadratic maps' differences carry an exponent of their own; the
    // others' are plain doubles.
    if (kind == IterationKind::Mandelbrot || kind == IterationKind::Julia ||
        kind == IterationKind::BinaryDecomposition) {
        return true;
    }
    const BigFloat dx = (view.right - view.left) /
                        BigFloat(static_cast<double>(frame.width + frame.divisorExtra), 64);
    const BigFloat dy = (view.top - view.bottom) /
                        BigFloat(static_cast<double>(frame.height + frame.divisorExtra), 64);
    return std::fabs(dx.ToDouble()) > 1e-290 && std::fabs(dy.ToDouble()) > 1e-290;
}

bool Explorer::ZoomedOutTooFar(const ExploreView& view) const {
    // Past this the figure is a speck in an empty field.
    return !view.Deep() && ZoomFactor(view.plane, figure_->own) < 1.0 / kMostZoomOut;
}

void Explorer::RedrawAtWindowSize() {
    if (!Explorable()) {
        return;
    }
    EndWheel();
    const QSize size = view_.size();
    if (size.width() <= 0 || size.height() <= 0) {
        return;
    }
    viewPending_ = true;
    StartJobAt(size.width(), size.height());
    ShowZoom("drawn again at " + std::to_string(size.width()) + " x " +
             std::to_string(size.height()));
}

std::string Explorer::StatusText(std::optional<PicturePoint> cursor) const {
    if (command_ == nullptr) {
        return "Choose a figure from the menus; F1 shows the keys and gestures";
    }
    std::string text = command_->caption;
    bool overPicture = false;
    if (Explorable()) {
        const ViewFrame frame = Frame();
        overPicture = cursor && cursor->x >= 0 && cursor->y >= 0 && cursor->x < frame.width &&
                      cursor->y < frame.height;
        if (overPicture) {
            text += "   " + FormatPlanePoint(targetView_, frame, *cursor);
        }
        text += "   " + ZoomText(targetView_, figure_->own) + "   " + std::to_string(budget_) +
                " iterations";
        if (autoBudget_ && budget_ != ownBudget_) {
            text += " (automatic)";
        }
        if (const std::string colours = ColouringText(); !colours.empty()) {
            text += "   " + colours;
        }
    }
    if (lastSeconds_ >= 0) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "   %.2f s", lastSeconds_);
        text += seconds;
    }
    if (!overPicture) {
        text += "   " + Describe(*command_);  // what the figure shows
    }
    return text;
}

void Explorer::ShowProgress() {
    if (!drawing_ || !worker_ || !Explorable()) {
        progressTimer_.stop();
        return;
    }
    const DeepEngine::Progress& progress = worker_->DeepProgress();
    const ViewFrame frame = Frame();
    const int64_t pixels = progress.pixels.load(std::memory_order_relaxed);
    const int64_t total = std::max<int64_t>(1, int64_t{frame.width} * frame.height);
    const auto percent = [](int64_t part, int64_t whole) {
        return std::to_string(std::min<int64_t>(100, part * 100 / std::max<int64_t>(1, whole))) +
               "%";
    };
    ShowZoom(pixels > 0 ? "drawing " + percent(pixels, total)
                        : "reference orbit " +
                              percent(progress.orbitIterations.load(std::memory_order_relaxed),
                                      jobBudget_));
}

void Explorer::ShowZoom(const std::string& note) {
    std::string text = ZoomText(targetView_, figure_->own);
    if (budget_ != ownBudget_) {
        text += "   " + std::to_string(budget_) + " iterations";
    }
    if (targetView_.Deep()) {
        text += "   deep";
    }
    if (!note.empty()) {
        text += "   " + note;
    }
    view_.ShowNote(QString::fromStdString(text));
}

void Explorer::ZoomAt(PicturePoint p, double factor) {
    if (!Explorable()) {
        return;
    }
    EndWheel();
    const ViewFrame frame = Frame();
    const ExploreView view = Gesture(
        targetView_, [&](const PlaneRect& v) { return ZoomAbout(v, frame, p, factor); },
        [&](const DeepRect& v) { return DeepZoomAbout(v, frame, p, factor); });
    if (Show(view, {})) {
        history_->Push(view);
    }
}

void Explorer::Wheel(PicturePoint p, int angleDelta) {
    if (!Explorable() || angleDelta == 0) {
        return;
    }
    const bool sameStep =
        wheelOpen_ && wheelClock_.isValid() && wheelClock_.elapsed() < kWheelStepMs;
    const ViewFrame frame = Frame();
    const double factor = WheelZoomFactor(angleDelta);
    const ExploreView view = Gesture(
        targetView_, [&](const PlaneRect& v) { return ZoomAbout(v, frame, p, factor); },
        [&](const DeepRect& v) { return DeepZoomAbout(v, frame, p, factor); });
    if (!Show(view, {})) {
        return;
    }
    if (sameStep) {
        history_->Back();  // the step this turn grows
    }
    wheelOpen_ = history_->Push(view);
    wheelClock_.restart();
}

void Explorer::DragRect(PicturePoint a, PicturePoint b) {
    if (!Explorable()) {
        return;
    }
    EndWheel();
    // The band keeps the picture's proportions, as the band on screen does.
    const ViewFrame frame = Frame();
    const auto [from, to] = BandWithAspect(frame, a, b);
    const ExploreView view = Gesture(
        targetView_, [&](const PlaneRect& v) { return DragView(v, frame, from, to); },
        [&](const DeepRect& v) { return DeepDragView(v, frame, from, to); });
    if (Show(view, {})) {
        history_->Push(view);
    }
}

void Explorer::SquarePixels() {
    if (!Explorable()) {
        return;
    }
    EndWheel();
    const ViewFrame frame = Frame();
    const ExploreView view = Gesture(
        targetView_, [&](const PlaneRect& v) { return galleri::SquarePixels(v, frame); },
        [&](const DeepRect& v) { return DeepSquarePixels(v, frame); });
    if (SameView(view, targetView_)) {
        ShowZoom("the pixels are square");
    } else if (Show(view, "square pixels")) {
        history_->Push(view);
    }
}

void Explorer::PanStart() {
    EndWheel();
    panFrom_ = targetView_;
}

void Explorer::PanLive(double dxPixels, double dyPixels) {
    if (!Explorable()) {
        return;
    }
    const ViewFrame frame = Frame();
    const ExploreView view = Gesture(
        panFrom_, [&](const PlaneRect& v) { return PanByPixels(v, frame, dxPixels, dyPixels); },
        [&](const DeepRect& v) { return DeepPanByPixels(v, frame, dxPixels, dyPixels); });
    if (!SameView(view, targetView_)) {
        Show(view, {});
    }
}

void Explorer::PanDone() {
    if (Explorable()) {
        history_->Push(targetView_);
    }
}

void Explorer::PanEighths(int right, int up) {
    if (!Explorable()) {
        return;
    }
    EndWheel();
    const ExploreView view = Gesture(
        targetView_, [&](const PlaneRect& v) { return PanByEighths(v, right, up); },
        [&](const DeepRect& v) { return DeepPanByEighths(v, right, up); });
    if (Show(view, {})) {
        history_->Push(view);
    }
}

void Explorer::Back() {
    if (!Explorable()) {
        return;
    }
    EndWheel();
    if (history_->Back()) {
        Show(history_->Current(), "back");
    } else {
        ShowZoom("no earlier view");
    }
}

void Explorer::Forward() {
    if (!Explorable()) {
        return;
    }
    EndWheel();
    if (history_->Forward()) {
        Show(history_->Current(), "forward");
    } else {
        ShowZoom("no later view");
    }
}

void Explorer::Home() {
    if (!Explorable()) {
        return;
    }
    EndWheel();
    const bool budget = budget_ != ownBudget_;
    budget_ = ownBudget_;
    autoBudget_ = true;
    lowerTo_ = 0;
    if (history_->Home() || budget) {
        Show(history_->Current(), "home");
    } else {
        ShowZoom("home");
    }
}

void Explorer::ScaleBudget(bool up) {
    if (!Explorable()) {
        return;
    }
    EndWheel();
    const int64_t next =
        up ? std::min(budget_ * 2, kMaxIterations) : std::max(budget_ / 2, ownBudget_);
    if (next == budget_) {
        ShowZoom(up ? "the most iterations there are" : "the figure's own iterations");
        return;
    }
    budget_ = next;
    autoBudget_ = false;  // the user's number stays
    lowerTo_ = 0;
    Show(targetView_, up ? "iterations doubled" : "iterations halved");
}

void Explorer::Escape() {
    if (!drawing_ || !worker_) {
        return;
    }
    worker_->Cancel();
    drawing_ = false;
    ShowZoom("stopped");
}

bool Explorer::FinishView(QString* error) {
    // A picture to keep holds still.
    SetCycling(false);
    if (!viewPending_ || !Explorable()) {
        return true;  // the surface's picture is the current view's
    }
    {
        const Hourglass hourglass;
        if (!drawing_) {
            StartJob();  // stopped by Escape: the view is drawn after all
        }
        // An exact picture may raise the budget and start the view again.
        for (int round = 0; round <= kMaxRaises && viewPending_ && drawing_; ++round) {
            worker_->WaitIdle();
            // The results are posted to this object: take them in now.
            QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        }
    }
    if (viewPending_) {
        if (error != nullptr) {
            *error = QStringLiteral("The view could not be drawn.");
        }
        drawing_ = false;
        return false;
    }
    return true;
}

std::string Explorer::PictureArguments() const {
    if (command_ == nullptr) {
        return {};
    }
    const Bitmap& picture = surface_.Picture();
    if (figure_) {
        return exactView_ ? ViewArguments(*exactView_, exactBudget_, exactColouring_)
                          : std::string();
    }
    if (!reproducible_) {
        return {};
    }
    return "--size " + std::to_string(picture.Width()) + "x" + std::to_string(picture.Height()) +
           " " + command_->item;
}

std::string Explorer::ViewArguments(const ExploreView& view, int64_t budget,
                                    const ColouringChoice& colouring) const {
    const Bitmap& picture = surface_.Picture();
    const std::string colours = ColouringArguments(colouring);
    if (!view.Deep()) {
        return RenderArguments(command_->item, picture.Width(), picture.Height(), view.plane,
                               figure_->own, budget, ownBudget_, colours);
    }
    return RenderArguments(command_->item, picture.Width(), picture.Height(),
                           FormatDeepView(*view.deep), budget, ownBudget_, colours);
}

bool Explorer::ShowLocation(const ExploreView& view, std::optional<int64_t> iterations) {
    if (!Explorable()) {
        return false;
    }
    EndWheel();
    // A location that a double draws is drawn in doubles, as a gesture's is.
    ExploreView shown = view;
    if (!view.Deep() && !DrawnInDoubles(view.plane)) {
        shown = ExploreView(ToDeepRect(view.plane));  // past the floor at this size
    } else if (view.Deep() && !DeepViewRefusal(*view.deep)) {
        if (const std::optional<PlaneRect> doubles = ToPlaneRect(*view.deep)) {
            if (DrawnInDoubles(*doubles)) {
                shown = *doubles;
            }
        }
    }
    const int64_t before = budget_;
    const bool autoBefore = autoBudget_;
    if (iterations) {
        budget_ = std::clamp<int64_t>(*iterations, 1, kMaxIterations);
        autoBudget_ = false;
    }
    if (!Show(shown, "location")) {
        budget_ = before;
        autoBudget_ = autoBefore;
        return false;
    }
    history_->Push(shown);
    return true;
}

std::string Explorer::CommandLine() const {
    std::string args;
    if (Explorable()) {
        args = ViewArguments(targetView_, budget_, colouring_);
    } else {
        args = PictureArguments();
    }
    return args.empty() ? args : "galleri-render " + args;
}

void Explorer::CopyView() {
    const std::string line = CommandLine();
    if (line.empty()) {
        view_.ShowNote(QStringLiteral("No command line draws this picture."));
        return;
    }
    QGuiApplication::clipboard()->setText(QString::fromStdString(line));
    if (Explorable()) {
        ShowZoom("command line copied");
    } else {
        view_.ShowNote(QStringLiteral("command line copied"));
    }
}

QString Explorer::DragFilePath() {
    if (!dragFolder_) {
        dragFolder_ = std::make_unique<QTemporaryDir>();
    }
    if (!dragFolder_->isValid()) {
        return {};
    }
    // Each drag its own file: a drop target may still read an earlier one.
    const QString stem =
        command_ != nullptr ? QString::fromUtf8(command_->item) : QStringLiteral("galleri");
    ++dragFiles_;
    const QString name = dragFiles_ == 1 ? stem : stem + QStringLiteral("-%1").arg(dragFiles_);
    return dragFolder_->filePath(name + QStringLiteral(".png"));
}

void Explorer::DragOut() {
    if (surface_.Picture().Empty() || surface_.RunOpen()) {
        return;
    }
    QString error;
    if (!FinishView(&error)) {
        view_.ShowNote(error);
        return;
    }
    std::unique_ptr<QMimeData> mime = PictureMimeData(surface_.Picture(), DragFilePath(), &error);
    if (!error.isEmpty()) {
        view_.ShowNote(error);
    }
    startDrag(std::move(mime));
}

}  // namespace galleri
