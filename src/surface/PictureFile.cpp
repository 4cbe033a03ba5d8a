#include "surface/PictureFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>
#include <QString>
#include <filesystem>
#include <system_error>
#include <vector>

#include "surface/JpegEncoder.h"

namespace galleri {

namespace {

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

// The picture in Qt's layout (0xffRRGGBB); colour values keep red in their
// lowest byte, and their top byte does not go into files.
QImage ToQImage(const Bitmap& picture) {
    QImage image(picture.Width(), picture.Height(), QImage::Format_RGB32);
    if (image.isNull()) {
        return image;
    }
    for (int y = 0; y < picture.Height(); ++y) {
        const uint32_t* src = picture.Row(y);
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture.Width(); ++x) {
            const uint32_t v = src[x];
            dst[x] = qRgb(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                          static_cast<int>((v >> 16) & 0xFF));
        }
    }
    return image;
}

QByteArray EncodeWithQt(const Bitmap& picture, const char* format, const std::string& path) {
    const QImage image = ToQImage(picture);
    if (image.isNull()) {
        throw SaveError(path, "the picture is too large to encode");
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image)) {
        throw SaveError(path, writer.errorString().toStdString());
    }
    return bytes;
}

QByteArray Encode(const Bitmap& picture, const std::string& path) {
    switch (FormatForName(path)) {
        case PictureFormat::Jpeg: {
            std::vector<unsigned char> bytes;
            std::string reason;
            if (!EncodeJpeg(picture, bytes, reason)) {
                throw SaveError(path, reason);
            }
            return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                              static_cast<qsizetype>(bytes.size()));
        }
        case PictureFormat::Png:
            return EncodeWithQt(picture, "png", path);
        case PictureFormat::Bmp:
            return EncodeWithQt(picture, "bmp", path);
    }
    throw SaveError(path, "unknown picture format");
}

// A device or pipe (such as /dev/full or /dev/stdout) cannot be replaced by
// renaming a file over it: that would put a plain file in its place. Such
// targets are written directly; they have no contents to lose.
bool IsSpecialFile(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);  // follows links
    return !ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
           !std::filesystem::is_directory(status);
}

void WriteDirectly(const QByteArray& bytes, const std::string& path) {
    QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        throw SaveError(path, file.errorString().toStdString());
    }
    if (file.write(bytes) != bytes.size()) {
        throw SaveError(path, file.errorString().toStdString());
    }
}

// Writes to a temporary file beside the target and renames it over the
// target only when every byte reached the disk.
void WriteAtomically(const QByteArray& bytes, const std::string& path) {
    if (IsSpecialFile(path)) {
        WriteDirectly(bytes, path);
        return;
    }
    QSaveFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!file.open(QIODevice::WriteOnly)) {
        throw SaveError(path, file.errorString().toStdString());
    }
    if (file.write(bytes) != bytes.size()) {
        const std::string reason = file.errorString().toStdString();
        file.cancelWriting();
        throw SaveError(path, reason);
    }
    if (!file.commit()) {
        throw SaveError(path, file.errorString().toStdString());
    }
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

void SavePicture(const Bitmap& picture, const std::string& path) {
    if (picture.Empty()) {
        throw SaveError(path, "the picture is empty");
    }
    WriteAtomically(Encode(picture, path), path);
}

}  // namespace galleri
