#include "app/ZoomVideo.h"

#include <mpfr.h>

#include <QDir>
#include <QFile>
#include <QMetaObject>
#include <QProgressDialog>
#include <QWidget>
#include <cmath>
#include <cstdio>

#include "app/Explorer.h"
#include "commands/Commands.h"
#include "escape/FastEngine.h"
#include "surface/Surface.h"
#include "video/VideoEncoder.h"
#include "video/VideoShape.h"
#include "view/ArgumentWords.h"
#include "view/ColouringText.h"
#include "view/DeepView.h"

namespace galleri {

namespace {

// galleri-render's one line as the window says it: a sentence.
QString Sentence(const std::string& line) {
    QString text = QString::fromStdString(line);
    if (!text.isEmpty()) {
        text[0] = text[0].toUpper();
    }
    return text.endsWith(QLatin1Char('.')) ? text : text + QLatin1Char('.');
}

QString Clock(double seconds) {
    const auto s = static_cast<long long>(std::llround(std::max(seconds, 0.0)));
    return s >= 3600 ? QStringLiteral("%1:%2:%3")
                           .arg(s / 3600)
                           .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                           .arg(s % 60, 2, 10, QLatin1Char('0'))
                     : QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

ZoomVideo::ZoomVideo(QWidget* window, Surface& surface, Explorer& explorer)
    : QObject(window), window_(window), surface_(surface), explorer_(explorer) {
    choose = [this](const VideoChoice& proposed) -> std::optional<VideoChoice> {
        VideoDialog dialog(window_, proposed,
                           QSize(surface_.Picture().Width(), surface_.Picture().Height()));
        if (dialog.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return dialog.Choice();
    };
}

ZoomVideo::~ZoomVideo() {
    if (thread_.joinable()) {
        cancel_ = true;
        thread_.join();
    }
}

std::vector<std::string> ZoomVideo::Arguments(const VideoChoice& choice) const {
    const Command* command = explorer_.CurrentCommand();
    const std::optional<ExploreView> view = explorer_.CurrentExploreView();
    if (command == nullptr || !command->Plane() || !view || !explorer_.Explorable()) {
        return {};
    }
    const int shownWidth = surface_.Picture().Width(), shownHeight = surface_.Picture().Height();
    const int width = choice.size.width(), height = choice.size.height();
    const DeepRect from =
        FitToShape(ToDeepRect(command->Plane()->own), shownWidth, shownHeight, width, height);
    const DeepRect to = FitToShape(view->Exact(), shownWidth, shownHeight, width, height);
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", choice.seconds);
    std::vector<std::string> args = {
        "--video",   QFile::encodeName(choice.path).toStdString(),
        "--from",    FormatDeepView(from),
        "--to",      FormatDeepView(to),
        "--seconds", seconds,
        "--fps",     std::to_string(choice.fps),
        "--size",    std::to_string(width) + "x" + std::to_string(height)};
    if (choice.keyframes) {
        args.emplace_back("--keyframes");
    }
    // A budget set by hand stays; the automatic one follows the dive.
    if (!explorer_.AutoBudget()) {
        args.insert(args.end(), {"--iterations", std::to_string(explorer_.Budget())});
    }
    // The colours and samples of the view shown.
    for (const std::string& word : SplitArguments(ColouringArguments(explorer_.Colouring()))) {
        args.push_back(word);
    }
    // The window's engine.
    if (dynamic_cast<const ScalarEngine*>(surface_.Engine()) != nullptr) {
        args.insert(args.end(), {"--engine", "scalar"});
    } else {
        args.insert(args.end(), {"--threads", std::to_string(DefaultFastEngine().Threads())});
    }
    args.emplace_back(command->item);
    return args;
}

void ZoomVideo::Make() {
    if (Running()) {
        return;
    }
    const Command* command = explorer_.CurrentCommand();
    if (command == nullptr || !command->Plane() || !explorer_.Explorable()) {
        report(QMessageBox::Information,
               QStringLiteral("A zoom video dives into a figure of the plane: draw one from the "
                              "menus (a Mandelbrot or Julia set, a dragon), zoom to where the "
                              "video should end, then make the video."));
        return;
    }
    if (const std::optional<ExploreView> view = explorer_.CurrentExploreView();
        view && SameView(*view, ExploreView(command->Plane()->own))) {
        report(QMessageBox::Information,
               QStringLiteral("The video zooms from the figure's own view to the one shown: zoom "
                              "in to where it should end first."));
        return;
    }
    VideoChoice proposed = last_;
    const QString extension =
        last_.path.endsWith(QStringLiteral(".webm"), Qt::CaseInsensitive) ? "webm" : "mp4";
    proposed.path =
        QDir(folder.isEmpty() ? QDir::homePath() : folder)
            .filePath(QString::fromUtf8(command->caption) + QLatin1Char('.') + extension);
    const std::optional<VideoChoice> choice = choose(proposed);
    if (!choice) {
        return;
    }
    last_ = *choice;
    const ParseResult parsed = ParseArguments(Arguments(*choice));
    if (!parsed.Ok()) {
        std::string what = parsed.error;
        const std::string prefix = "galleri-render: ";
        if (what.rfind(prefix, 0) == 0) {
            what.erase(0, prefix.size());
        }
        what = what.substr(0, what.find("; see galleri-render"));
        report(QMessageBox::Warning, Sentence(what));
        return;
    }
    Start(parsed.request);
}

void ZoomVideo::Start(RenderRequest request) {
    request_ = std::move(request);
    cancel_ = false;
    const auto frames = static_cast<int>(std::min<int64_t>(request_.video->frames, INT32_MAX));
    progress_ = new QProgressDialog(QStringLiteral("Drawing the first frame…"),
                                    QStringLiteral("Cancel"), 0, frames, window_);
    progress_->setObjectName(QStringLiteral("videoProgress"));
    progress_->setWindowTitle(QStringLiteral("Zoom video"));
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setMinimumDuration(0);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setValue(0);
    connect(progress_, &QProgressDialog::canceled, this, [this] { cancel_ = true; });
    clock_.start();
    LoadVideoEncoder();
    thread_ = std::thread([this] {
        VideoHooks hooks;
        hooks.cancel = &cancel_;
        hooks.onFrame = [this](int64_t done, int64_t total) {
            QMetaObject::invokeMethod(
                this, [this, done, total] { Progress(done, total); }, Qt::QueuedConnection);
        };
        const VideoOutcome outcome = RunVideo(request_, hooks);
        // MPFR keeps constants for each thread until it is told to let them go.
        mpfr_free_cache2(MPFR_FREE_LOCAL_CACHE);
        QMetaObject::invokeMethod(
            this, [this, outcome] { Done(outcome); }, Qt::QueuedConnection);
    });
}

void ZoomVideo::Progress(int64_t done, int64_t total) {
    if (progress_ == nullptr || cancel_) {
        return;
    }
    const double seconds = static_cast<double>(clock_.elapsed()) / 1000;
    const double fps = seconds > 0 ? static_cast<double>(done) / seconds : 0;
    progress_->setValue(static_cast<int>(std::min<int64_t>(done, INT32_MAX)));
    progress_->setLabelText(QStringLiteral("Frame %1 of %2: %3 frames a second, %4 left")
                                .arg(done)
                                .arg(total)
                                .arg(fps, 0, 'f', fps < 10 ? 2 : 1)
                                .arg(Clock(fps > 0 ? static_cast<double>(total - done) / fps : 0)));
}

void ZoomVideo::Done(const VideoOutcome& outcome) {
    thread_.join();
    // Gone before the outcome is told (a message box's own loop would keep
    // a dialog deleted later).
    delete progress_;
    progress_ = nullptr;
    if (qEnvironmentVariableIntValue("GALLERI_TRACE_RUNS") != 0) {
        std::fprintf(stderr, "galleri: video %d: %s\n", outcome.status, outcome.message.c_str());
    }
    const QString message = Sentence(outcome.message);
    if (outcome.status == 0 || outcome.stopped) {
        report(QMessageBox::Information, message);
    } else {
        report(QMessageBox::Warning, message);
    }
    emit finished(outcome.status, message);
}

}  // namespace galleri
