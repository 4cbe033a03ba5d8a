#pragma once

#include <QSize>
#include <functional>

#include "surface/Platform.h"

class QWidget;

namespace galleri {

// The drawing core's toolkit services in the window: the picture control's
// size, the application-wide override cursor, the form's enabled state,
// repaints and the message loop.
class QtPlatform : public Platform {
  public:
    // form: the main window; its picture control is set once it exists.
    explicit QtPlatform(QWidget* form) : form_(form) {}
    ~QtPlatform() override;
    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;

    void SetPictureControl(QWidget* img) { img_ = img; }

    int ControlWidth() const override;
    int ControlHeight() const override;

    // Only the hourglass is shown as an override cursor; every other code
    // means the cursor the widgets choose themselves.
    int16_t Cursor() const override { return cursor_; }
    void SetCursor(int16_t code) override;
    void SetFormEnabled(bool enabled) override;

    void Update() override;
    void Refresh() override;
    void ProcessMessages() override;
    void TextOut(Bitmap& picture, int px, int py, const std::string& text) override;
    void ScanProgress(int done, int total) override {
        columnsDone_ = done;
        (void)total;
    }
    // Columns the last scan drew; cleared before each run.
    int ColumnsDone() const { return columnsDone_; }
    void ClearColumnsDone() { columnsDone_ = -1; }

    // Runs after the pending messages of each message point were handled
    // (tests observe the window in the middle of a run here).
    std::function<void()> afterMessages;

  private:
    QWidget* form_;
    QWidget* img_ = nullptr;
    int columnsDone_ = -1;
    int16_t cursor_ = kCursorDefault;
    QSize heldMinimum_;
    QSize heldMaximum_;
};

}  // namespace galleri
