#include "app/PictureView.h"

#include <QPainter>
#include <cmath>

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
}

void PictureView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (picture_.Empty()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    const QImage image = ToDisplayImage(picture_);
    // Stretched to the control. Whole-number scales (the usual case on a
    // high-DPI screen, or a picture drawn at this size) stay sharp; any other
    // scale is smoothed.
    const qreal ratio = devicePixelRatioF();
    const qreal sx = width() * ratio / image.width();
    const qreal sy = height() * ratio / image.height();
    const bool whole = sx == std::floor(sx) && sy == std::floor(sy) && sx >= 1 && sy >= 1;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, !whole);
    painter.drawImage(QRectF(rect()), image);
}

}  // namespace galleri
