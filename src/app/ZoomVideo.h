#pragma once

#include <QElapsedTimer>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/VideoDialog.h"
#include "render/Arguments.h"
#include "render/VideoRun.h"

class QProgressDialog;
class QWidget;

namespace galleri {

class Explorer;
class Surface;

// Explore > "Zoom video…": a video from the figure's own view to the view
// shown, both as a picture of the video's size shows them (about their
// centres, with the pixels' shape kept). The video is galleri-render's,
// made from the same arguments by the same run on a thread of its own,
// with a progress dialog whose Cancel stops it and writes nothing.
class ZoomVideo : public QObject {
    Q_OBJECT

  public:
    ZoomVideo(QWidget* window, Surface& surface, Explorer& explorer);
    // A video being made is stopped, and nothing written.
    ~ZoomVideo() override;

    // Asks for the video (`choose`), then makes it.
    void Make();
    bool Running() const { return thread_.joinable(); }
    // The galleri-render arguments of that video; empty when no figure of
    // the plane is shown.
    std::vector<std::string> Arguments(const VideoChoice& choice) const;

    // The dialog; tests replace it. Nothing: cancelled.
    std::function<std::optional<VideoChoice>(const VideoChoice& proposed)> choose;
    // How the outcome is told; the window's message box.
    std::function<void(QMessageBox::Icon, const QString&)> report;
    // Where the dialog proposes the file: the folder of the last save.
    QString folder;

  signals:
    // The video is made, stopped or failed: galleri-render's exit status
    // and its one line.
    void finished(int status, const QString& message);

  private:
    void Start(RenderRequest request);
    void Progress(int64_t done, int64_t total);
    void Done(const VideoOutcome& outcome);

    QWidget* window_;
    Surface& surface_;
    Explorer& explorer_;
    VideoChoice last_;
    RenderRequest request_;
    std::atomic<bool> cancel_{false};
    std::thread thread_;
    QProgressDialog* progress_ = nullptr;
    QElapsedTimer clock_;
};

}  // namespace galleri
