#pragma once

#include <QImage>
#include <QWidget>

#include "surface/Bitmap.h"

namespace galleri {

// The picture in the display's layout: the stored colour values keep red in
// the lowest byte, then green, then blue; the top byte is not shown.
QImage ToDisplayImage(const Bitmap& picture);

// The picture control `img`: fills the client area and shows the picture
// stretched to its own size. Before the first figure it shows the form's
// colour.
class PictureView : public QWidget {
  public:
    PictureView(const Bitmap& picture, QWidget* parent);
    QSize sizeHint() const override { return {483, 609}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const Bitmap& picture_;
};

}  // namespace galleri
