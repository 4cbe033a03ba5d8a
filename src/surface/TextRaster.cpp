#include "surface/TextRaster.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <cstdint>
#include <stdexcept>

namespace galleri {

namespace {

// The default font, drawn without antialiasing so that text is pure black on
// white and the same on every run.
QFont TextFont() {
    QFont font = QGuiApplication::font();
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// Qt's 0xffRRGGBB to a colour value with red in the lowest byte.
uint32_t FromQRgb(QRgb p) {
    return static_cast<uint32_t>(qRed(p)) | static_cast<uint32_t>(qGreen(p)) << 8 |
           static_cast<uint32_t>(qBlue(p)) << 16;
}

}  // namespace

void RasterText(Bitmap& picture, int px, int py, const std::string& text) {
    if (text.empty() || picture.Empty()) {
        return;
    }
    if (QGuiApplication::instance() == nullptr) {
        throw std::logic_error("drawing text needs a QGuiApplication");
    }
    const QFont font = TextFont();
    const QFontMetrics metrics(font);
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const int width = metrics.horizontalAdvance(s);
    const int height = metrics.height();
    if (width <= 0 || height <= 0) {
        return;
    }
    // The text's cell on an opaque white background, as the canvas's brush
    // paints it.
    QImage cell(width, height, QImage::Format_RGB32);
    cell.fill(Qt::white);
    {
        QPainter painter(&cell);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(0, metrics.ascent(), s);
    }
    for (int y = 0; y < height; ++y) {
        const int64_t ty = int64_t{py} + y;
        if (ty < 0 || ty >= picture.Height()) {
            continue;
        }
        const auto* row = reinterpret_cast<const QRgb*>(cell.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            picture.Set(int64_t{px} + x, ty, FromQRgb(row[x]));
        }
    }
}

}  // namespace galleri
