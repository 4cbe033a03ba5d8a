#include "surface/BmpEncoder.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace galleri {

namespace {

constexpr int64_t kFileHeaderSize = 14;
constexpr int64_t kInfoHeaderSize = 40;
// Rows are collected up to this many bytes before they go to the sink.
constexpr size_t kChunkSize = 64 * 1024;

// Bytes of one stored row: three per pixel, padded to a multiple of four.
int64_t RowBytes(int width) {
    return (int64_t{width} * 24 + 31) / 32 * 4;
}

int64_t FileBytes(int width, int height) {
    return kFileHeaderSize + kInfoHeaderSize + RowBytes(width) * height;
}

void Put16(std::vector<unsigned char>& out, uint32_t v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

void Put32(std::vector<unsigned char>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

}  // namespace

bool BmpFits(int width, int height) {
    return width > 0 && height > 0 &&
           FileBytes(width, height) <= std::numeric_limits<int32_t>::max();
}

void EncodeBmp(const Bitmap& picture, ByteSink& out, Resolution resolution) {
    const int width = picture.Width();
    const int height = picture.Height();
    if (!BmpFits(width, height)) {
        throw EncodeError(
            "a bitmap (BMP) file holds at most 2 GB; save a picture this large as .png");
    }
    const auto rowBytes = static_cast<size_t>(RowBytes(width));
    std::vector<unsigned char> chunk;
    chunk.reserve(std::max(kChunkSize, rowBytes));

    // The file header, then the info header (BITMAPINFOHEADER): 24 bits per
    // pixel, uncompressed, no colour table.
    chunk.push_back('B');
    chunk.push_back('M');
    Put32(chunk, static_cast<uint32_t>(FileBytes(width, height)));
    Put32(chunk, 0);
    Put32(chunk, static_cast<uint32_t>(kFileHeaderSize + kInfoHeaderSize));
    Put32(chunk, static_cast<uint32_t>(kInfoHeaderSize));
    Put32(chunk, static_cast<uint32_t>(width));
    Put32(chunk, static_cast<uint32_t>(height));
    Put16(chunk, 1);
    Put16(chunk, 24);
    Put32(chunk, 0);
    Put32(chunk, static_cast<uint32_t>(rowBytes * static_cast<size_t>(height)));
    // Without a resolution the toolkit records 72 dpi.
    Put32(chunk, static_cast<uint32_t>(resolution.dotsPerMeterX ? resolution.dotsPerMeterX : 2834));
    Put32(chunk, static_cast<uint32_t>(resolution.dotsPerMeterY ? resolution.dotsPerMeterY : 2834));
    Put32(chunk, 0);
    Put32(chunk, 0);

    for (int y = height - 1; y >= 0; --y) {
        if (chunk.size() + rowBytes > chunk.capacity()) {
            out.Write(chunk.data(), chunk.size());
            chunk.clear();
        }
        const uint32_t* src = picture.Row(y);
        const size_t at = chunk.size();
        chunk.resize(at + rowBytes);  // the padding stays zero
        unsigned char* row = chunk.data() + at;
        // Blue, green, red; red is the lowest byte of a colour value and the
        // top byte is unused.
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<unsigned char>((src[x] >> 16) & 0xFF);
            row[3 * x + 1] = static_cast<unsigned char>((src[x] >> 8) & 0xFF);
            row[3 * x + 2] = static_cast<unsigned char>(src[x] & 0xFF);
        }
    }
    out.Write(chunk.data(), chunk.size());
}

}  // namespace galleri
