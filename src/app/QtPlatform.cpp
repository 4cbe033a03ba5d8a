#include "app/QtPlatform.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

#include "surface/TextRaster.h"

namespace galleri {

QtPlatform::~QtPlatform() {
    // Never leave an hourglass behind, whatever happened to the last run.
    SetCursor(kCursorDefault);
}

int QtPlatform::ControlWidth() const {
    return img_ ? img_->width() : 0;
}

int QtPlatform::ControlHeight() const {
    return img_ ? img_->height() : 0;
}

void QtPlatform::SetCursor(int16_t code) {
    const bool wasHourglass = cursor_ == kCursorHourglass;
    const bool isHourglass = code == kCursorHourglass;
    // Override cursors stack: push and pop exactly once per change so that
    // they stay balanced.
    if (isHourglass && !wasHourglass) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (!isHourglass && wasHourglass) {
        QGuiApplication::restoreOverrideCursor();
    }
    cursor_ = code;
}

void QtPlatform::SetFormEnabled(bool enabled) {
    // A disabled window still follows the window manager's resize handles;
    // its size is held during a run so that the picture control keeps the
    // size of the picture being drawn.
    if (!enabled && form_->isEnabled()) {
        heldMinimum_ = form_->minimumSize();
        heldMaximum_ = form_->maximumSize();
        form_->setFixedSize(form_->size());
    } else if (enabled && !form_->isEnabled()) {
        form_->setMinimumSize(heldMinimum_);
        form_->setMaximumSize(heldMaximum_);
    }
    form_->setEnabled(enabled);
}

void QtPlatform::Update() {
    // The figure changed the picture behind the widget's back: paint it now.
    if (img_) {
        img_->repaint();
    }
}

void QtPlatform::Refresh() {
    form_->repaint();
}

void QtPlatform::ProcessMessages() {
    QCoreApplication::processEvents();
    if (afterMessages) {
        afterMessages();
    }
}

void QtPlatform::TextOut(Bitmap& picture, int px, int py, const std::string& text) {
    RasterText(picture, px, py, text);
}

}  // namespace galleri
