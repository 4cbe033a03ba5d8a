#include "video/FrameFiles.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "surface/ByteSink.h"
#include "surface/OutputFile.h"
#include "surface/PictureText.h"
#include "surface/PngEncoder.h"
#include "surface/QuoteForMessage.h"
#include "surface/SaveError.h"

namespace galleri {

namespace {

// What galleri-render records in its files: Qt's offscreen 96 dpi.
constexpr int kDotsPerMeter = 3780;
// The text chunks come before the picture's data, well within this.
constexpr size_t kHeadBytes = 1 << 16;

struct CloseFile {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

FrameReadError::FrameReadError(const std::string& path, const std::string& why)
    : std::runtime_error("cannot read " + QuoteForMessage(path) + ": " + why) {}

std::string FrameFileName(int64_t index) {
    char name[40];
    std::snprintf(name, sizeof name, "frame-%06lld.png", static_cast<long long>(index));
    return name;
}

std::string FrameVideoText(int64_t index, int64_t frames, std::string_view identity) {
    return "frame " + std::to_string(index) + " of " + std::to_string(frames) + ": " +
           std::string(identity);
}

void WriteFrameFile(const Bitmap& frame, const std::string& path, std::string_view stillText,
                    std::string_view videoText) {
    OutputFile file(path);
    const PngTextChunk chunks[] = {{"Galleri", stillText}, {kVideoTextKeyword, videoText}};
    try {
        EncodePng(frame, file, {kDotsPerMeter, kDotsPerMeter}, chunks);
    } catch (const EncodeError& e) {
        throw SaveError(path, e.what());
    }
    file.Commit();
}

std::optional<std::string> ReadFrameVideoText(const std::string& path) {
    const std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        throw FrameReadError(path, std::strerror(errno));
    }
    std::string head(kHeadBytes, '\0');
    head.resize(std::fread(head.data(), 1, head.size(), file.get()));
    if (std::ferror(file.get()) != 0) {
        throw FrameReadError(path, "a read failed");
    }
    return ReadPngText(head, kVideoTextKeyword);
}

Bitmap ReadFrameFile(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        const std::string why = image.message;
        png_image_free(&image);
        throw FrameReadError(path, "not a PNG picture (" + why + ")");
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) == 0) {
        const std::string why = image.message;
        png_image_free(&image);
        throw FrameReadError(path, why);
    }
    const int w = static_cast<int>(image.width), h = static_cast<int>(image.height);
    Bitmap picture(w, h);
    const unsigned char* p = rgb.data();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x, p += 3) {
            picture.Set(x, y, uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16);
        }
    }
    return picture;
}

}  // namespace galleri
