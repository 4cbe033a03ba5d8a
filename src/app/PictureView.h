#pragma once

#include <QImage>
#include <QPoint>
#include <QRectF>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

#include "surface/Bitmap.h"
#include "view/ViewGeometry.h"

class QRubberBand;

namespace galleri {

class Explorer;
struct PicturePoint;

// The picture in the display's layout: the stored colour values keep red in
// the lowest byte, then green, then blue; the top byte is not shown.
QImage ToDisplayImage(const Bitmap& picture);

// The picture control `img`: fills the client area and shows the picture
// stretched to its own size. Before the first figure it shows the form's
// colour. While a figure of the plane is explored it shows the explorer's
// image of the view instead, moved into place while the view is drawn, and
// passes the gestures on to the explorer; notes appear over the picture for
// a moment, never in it.
class PictureView : public QWidget {
  public:
    PictureView(const Bitmap& picture, QWidget* parent);
    QSize sizeHint() const override { return {483, 609}; }

    void SetExplorer(Explorer* explorer) { explorer_ = explorer; }
    // Told the picture position under the cursor as it moves over the
    // picture, and nothing when it leaves.
    std::function<void(std::optional<PicturePoint>)> onHover;

    // The image of the current view, filling the picture.
    void ShowViewImage(const QImage& image);
    // Moves the image on screen to `place`, in picture pixels of the view
    // being drawn (the rest shows the form's colour).
    void PlaceViewImage(const QRectF& place);
    // Back to painting the surface's picture.
    void ClearViewImage();
    const QImage& ViewImage() const { return viewImage_; }
    QRectF ViewPlace() const { return place_; }

    // A line over the picture for a moment.
    void ShowNote(const QString& text);
    QString Note() const { return note_; }

    // Drops a rubber band or pan in progress (a menu command starts).
    void EndGestures();

    // Milliseconds a note stays.
    static constexpr int kNoteMs = 2500;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    enum class Gesture { None, Band, Pan, DragOut };
    QRectF PictureRect() const;
    PicturePoint ToPicture(QPointF widgetPos) const;
    void PaintImage(QPainter& painter, const QImage& image, const QRectF& place);
    void PaintNote(QPainter& painter);
    bool Explorable() const;

    const Bitmap& picture_;
    Explorer* explorer_ = nullptr;
    QImage viewImage_;
    QRectF place_;
    QString note_;
    QTimer noteTimer_;
    Gesture gesture_ = Gesture::None;
    QPoint pressPos_;
    bool moved_ = false;  // the pointer left the click distance since the press
    QRubberBand* band_ = nullptr;
};

}  // namespace galleri
