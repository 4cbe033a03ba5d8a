#pragma once

#include <QMimeData>
#include <QString>
#include <memory>

#include "surface/Bitmap.h"

namespace galleri {

// The picture as a drag offers it to other programs: as an image (for
// programs that take pasted pictures) and as a PNG file written to
// `pngPath` (for file managers). When the file cannot be written, or no
// path is given, only the image is offered and `error` says why.
std::unique_ptr<QMimeData> PictureMimeData(const Bitmap& picture, const QString& pngPath,
                                           QString* error);

}  // namespace galleri
