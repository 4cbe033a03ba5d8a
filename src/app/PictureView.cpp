#include "app/PictureView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QWheelEvent>
#include <cmath>

#include "app/Explorer.h"
#include "view/ViewGeometry.h"

namespace galleri {

QImage ToDisplayImage(const Bitmap& picture) {
    QImage image(picture.Width(), picture.Height(), QImage::Format_RGB32);
    for (int y = 0; y < picture.Height(); ++y) {
        const uint32_t* in = picture.Row(y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture.Width(); ++x) {
            const uint32_t v = in[x];
            out[x] = qRgb(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                          static_cast<int>((v >> 16) & 0xFF));
        }
    }
    return image;
}

PictureView::PictureView(const Bitmap& picture, QWidget* parent)
    : QWidget(parent), picture_(picture) {
    setObjectName(QStringLiteral("img"));
    // Every pixel is painted each time: no background fill needed underneath.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The keys of exploring come here.
    setFocusPolicy(Qt::StrongFocus);
    // The status line follows the cursor.
    setMouseTracking(true);
    noteTimer_.setSingleShot(true);
    connect(&noteTimer_, &QTimer::timeout, this, [this] {
        note_.clear();
        update();
    });
}

void PictureView::ShowViewImage(const QImage& image) {
    viewImage_ = image;
    place_ = PictureRect();
    update();
}

void PictureView::PlaceViewImage(const QRectF& place) {
    place_ = place;
    update();
}

void PictureView::ClearViewImage() {
    viewImage_ = QImage();
    note_.clear();
    noteTimer_.stop();
    update();
}

void PictureView::ShowNote(const QString& text) {
    note_ = text;
    noteTimer_.start(kNoteMs);
    update();
}

QRectF PictureView::PictureRect() const {
    return QRectF(0, 0, picture_.Width(), picture_.Height());
}

PicturePoint PictureView::ToPicture(QPointF widgetPos) const {
    // The picture is stretched to the control.
    return {widgetPos.x() * picture_.Width() / std::max(1, width()),
            widgetPos.y() * picture_.Height() / std::max(1, height())};
}

void PictureView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (picture_.Empty()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    if (viewImage_.isNull()) {
        PaintImage(painter, ToDisplayImage(picture_), PictureRect());
    } else {
        PaintImage(painter, viewImage_, place_);
    }
    PaintNote(painter);
}

void PictureView::PaintImage(QPainter& painter, const QImage& image, const QRectF& place) {
    const QRectF whole = PictureRect();
    const qreal sx = width() / whole.width();
    const qreal sy = height() / whole.height();
    if (place != whole) {
        // The old picture moved into place: the rest is not drawn yet.
        painter.fillRect(rect(), palette().window());
    }
    // Only the visible part is drawn: deep in a zoom the old picture's place
    // is far larger than the screen.
    const QRectF visible = place.intersected(whole);
    if (visible.isEmpty()) {
        return;
    }
    const qreal ix = image.width() / place.width();
    const qreal iy = image.height() / place.height();
    const QRectF source((visible.x() - place.x()) * ix, (visible.y() - place.y()) * iy,
                        visible.width() * ix, visible.height() * iy);
    const QRectF target(visible.x() * sx, visible.y() * sy, visible.width() * sx,
                        visible.height() * sy);
    // Stretched to the control. Whole-number scales (the usual case on a
    // high-DPI screen, or a picture drawn at this size) stay sharp; any other
    // scale is smoothed.
    const qreal ratio = devicePixelRatioF();
    const qreal px = target.width() * ratio / source.width();
    const qreal py = target.height() * ratio / source.height();
    const bool wholeScale = px == std::floor(px) && py == std::floor(py) && px >= 1 && py >= 1;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, !wholeScale);
    painter.drawImage(target, image, source);
}

void PictureView::PaintNote(QPainter& painter) {
    if (note_.isEmpty()) {
        return;
    }
    const QFontMetrics metrics(font());
    const int margin = 6;
    const QRect text = metrics.boundingRect(rect().adjusted(margin * 2, margin * 2, -margin * 2, 0),
                                            Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, note_);
    const QRect box = text.adjusted(-margin, -margin / 2, margin, margin / 2);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 170));
    painter.drawRoundedRect(box, 4, 4);
    painter.setPen(Qt::white);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, note_);
}

bool PictureView::Explorable() const {
    return explorer_ != nullptr && explorer_->Explorable();
}

void PictureView::EndGestures() {
    gesture_ = Gesture::None;
    if (band_ != nullptr) {
        band_->hide();
    }
}

void PictureView::mousePressEvent(QMouseEvent* event) {
    if (explorer_ == nullptr || gesture_ != Gesture::None) {
        event->ignore();
        return;
    }
    pressPos_ = event->position().toPoint();
    moved_ = false;
    const Qt::MouseButton button = event->button();
    if (button == Qt::BackButton) {
        explorer_->Back();
    } else if (button == Qt::ForwardButton) {
        explorer_->Forward();
    } else if (button == Qt::LeftButton && (event->modifiers() & Qt::ControlModifier)) {
        // A plain drag explores; with Ctrl it takes the picture elsewhere.
        if (!picture_.Empty()) {
            gesture_ = Gesture::DragOut;
        }
    } else if (button == Qt::LeftButton && Explorable()) {
        gesture_ = Gesture::Band;
    } else if (button == Qt::RightButton && Explorable()) {
        gesture_ = Gesture::Pan;
        explorer_->PanStart();
    } else {
        event->ignore();
    }
}

void PictureView::leaveEvent(QEvent* event) {
    if (onHover) {
        onHover(std::nullopt);
    }
    QWidget::leaveEvent(event);
}

void PictureView::mouseMoveEvent(QMouseEvent* event) {
    if (onHover) {
        onHover(ToPicture(event->position()));
    }
    const QPoint pos = event->position().toPoint();
    moved_ = moved_ || (pos - pressPos_).manhattanLength() >= QApplication::startDragDistance();
    switch (gesture_) {
        case Gesture::None:
            event->ignore();
            return;
        case Gesture::DragOut:
            if (moved_) {
                gesture_ = Gesture::None;
                explorer_->DragOut();
            }
            return;
        case Gesture::Band:
            if (moved_) {
                if (band_ == nullptr) {
                    band_ = new QRubberBand(QRubberBand::Rectangle, this);
                }
                // The picture fills the control: its proportions on screen
                // are the control's.
                const auto [from, to] = BandWithAspect(
                    {width(), height(), 0},
                    {static_cast<double>(pressPos_.x()), static_cast<double>(pressPos_.y())},
                    {static_cast<double>(pos.x()), static_cast<double>(pos.y())});
                band_->setGeometry(
                    QRectF(QPointF(from.x, from.y), QPointF(to.x, to.y)).normalized().toRect());
                band_->show();
            }
            return;
        case Gesture::Pan: {
            const PicturePoint from = ToPicture(pressPos_);
            const PicturePoint to = ToPicture(event->position());
            explorer_->PanLive(to.x - from.x, to.y - from.y);
            return;
        }
    }
}

void PictureView::mouseReleaseEvent(QMouseEvent* event) {
    const Gesture gesture = gesture_;
    const bool ends = (gesture == Gesture::Band || gesture == Gesture::DragOut)
                          ? event->button() == Qt::LeftButton
                          : event->button() == Qt::RightButton;
    if (gesture == Gesture::None || !ends) {
        event->ignore();
        return;
    }
    EndGestures();
    if (gesture == Gesture::Band) {
        if (moved_) {
            explorer_->DragRect(ToPicture(pressPos_), ToPicture(event->position()));
        } else {
            explorer_->ZoomAt(ToPicture(event->position()), 2);  // a click
        }
    } else if (gesture == Gesture::Pan) {
        explorer_->PanDone();
    }
}

void PictureView::wheelEvent(QWheelEvent* event) {
    if (!Explorable() || gesture_ != Gesture::None) {
        event->ignore();
        return;
    }
    explorer_->Wheel(ToPicture(event->position()), event->angleDelta().y());
}

void PictureView::keyPressEvent(QKeyEvent* event) {
    if (!Explorable()) {
        event->ignore();
        return;
    }
    const bool alt = event->modifiers() & Qt::AltModifier;
    switch (event->key()) {
        case Qt::Key_Left:
            alt ? explorer_->Back() : explorer_->PanEighths(-1, 0);
            break;
        case Qt::Key_Right:
            alt ? explorer_->Forward() : explorer_->PanEighths(1, 0);
            break;
        case Qt::Key_Up:
            explorer_->PanEighths(0, 1);
            break;
        case Qt::Key_Down:
            explorer_->PanEighths(0, -1);
            break;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            explorer_->ZoomAt(PictureCentre({picture_.Width(), picture_.Height(), 0}), 2);
            break;
        case Qt::Key_Minus:
            explorer_->ZoomAt(PictureCentre({picture_.Width(), picture_.Height(), 0}), 0.5);
            break;
        case Qt::Key_Backspace:
        case Qt::Key_Back:
            explorer_->Back();
            break;
        case Qt::Key_Forward:
            explorer_->Forward();
            break;
        case Qt::Key_Home:
            explorer_->Home();
            break;
        case Qt::Key_S:
            if (event->modifiers() == Qt::NoModifier) {
                explorer_->SquarePixels();
            } else {
                event->ignore();
            }
            break;
        case Qt::Key_R:
            if (event->modifiers() == Qt::NoModifier) {
                explorer_->RedrawAtWindowSize();
            } else {
                event->ignore();
            }
            break;
        case Qt::Key_BracketRight:
            explorer_->ScaleBudget(true);
            break;
        case Qt::Key_BracketLeft:
            explorer_->ScaleBudget(false);
            break;
        default:
            event->ignore();
    }
}

}  // namespace galleri
