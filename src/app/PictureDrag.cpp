#include "app/PictureDrag.h"

#include <QFile>
#include <QUrl>
#include <exception>

#include "app/PictureView.h"
#include "surface/PictureFile.h"

namespace galleri {

std::unique_ptr<QMimeData> PictureMimeData(const Bitmap& picture, const QString& pngPath,
                                           QString* error) {
    auto mime = std::make_unique<QMimeData>();
    mime->setImageData(ToDisplayImage(picture));
    if (pngPath.isEmpty()) {
        *error = QStringLiteral("The picture is offered without a file: no temporary folder.");
        return mime;
    }
    try {
        SavePicture(picture, QFile::encodeName(pngPath).toStdString());
        mime->setUrls({QUrl::fromLocalFile(pngPath)});
    } catch (const std::exception& e) {
        *error = QString::fromUtf8(e.what());
    }
    return mime;
}

}  // namespace galleri
