#include "surface/PictureFile.h"

#include <QImage>

#include "surface/BmpEncoder.h"
#include "surface/JpegEncoder.h"
#include "surface/OutputFile.h"
#include "surface/PngEncoder.h"

namespace galleri {

namespace {

// libjpeg's own limit, in libjpeg's words.
constexpr int kMaxJpegSide = 65500;

// The extension of the file name: from the last dot after the last path
// separator, dot included; empty when there is none.
std::string Extension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart) {
        return {};
    }
    return path.substr(dot);
}

std::string UpperAscii(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return s;
}

// The resolution the toolkit gives a new picture (it follows the screen in
// the window), so that files keep recording what they always recorded.
Resolution ToolkitResolution() {
    const QImage probe(1, 1, QImage::Format_RGB32);
    return {probe.dotsPerMeterX(), probe.dotsPerMeterY()};
}

}  // namespace

PictureFormat FormatForName(const std::string& path) {
    const std::string ext = UpperAscii(Extension(path));
    if (ext == ".JPG" || ext == ".JPEG") {
        return PictureFormat::Jpeg;
    }
    if (ext == ".PNG") {
        return PictureFormat::Png;
    }
    return PictureFormat::Bmp;
}

std::string FormatLimit(PictureFormat format, int width, int height) {
    switch (format) {
        case PictureFormat::Jpeg:
            if (width > kMaxJpegSide || height > kMaxJpegSide) {
                return "Maximum supported image dimension is " + std::to_string(kMaxJpegSide) +
                       " pixels";
            }
            break;
        case PictureFormat::Bmp:
            if (!BmpFits(width, height)) {
                return "a bitmap (BMP) file holds at most 2 GB; save a picture this large as .png";
            }
            break;
        case PictureFormat::Png:
            break;
    }
    return {};
}

void SavePicture(const Bitmap& picture, const std::string& path, std::string_view text,
                 std::optional<Resolution> resolution) {
    if (picture.Empty()) {
        throw SaveError(path, "the picture is empty");
    }
    const PictureFormat format = FormatForName(path);
    if (const std::string limit = FormatLimit(format, picture.Width(), picture.Height());
        !limit.empty()) {
        throw SaveError(path, limit);
    }
    OutputFile file(path);
    try {
        switch (format) {
            case PictureFormat::Jpeg:
                EncodeJpeg(picture, file, text);
                break;
            case PictureFormat::Png:
                EncodePng(picture, file, resolution.value_or(ToolkitResolution()), text);
                break;
            case PictureFormat::Bmp:
                EncodeBmp(picture, file, resolution.value_or(ToolkitResolution()));
                break;
        }
    } catch (const EncodeError& e) {
        throw SaveError(path, e.what());
    }
    file.Commit();
}

}  // namespace galleri
