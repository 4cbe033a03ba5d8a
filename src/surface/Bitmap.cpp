#include "surface/Bitmap.h"

#include <algorithm>

namespace galleri {

Bitmap::Bitmap(int width, int height, uint32_t fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * height_, fill) {}

void Bitmap::SetColumn(int64_t x, const uint32_t* colours, int64_t n) {
    if (x < 0 || x >= width_) {
        return;
    }
    n = std::min<int64_t>(n, height_);
    uint32_t* p = pixels_.data() + x;
    for (int64_t y = 0; y < n; ++y, p += width_) {
        *p = colours[y];
    }
}

void Bitmap::FillRect(int width, int height, uint32_t colour) {
    const int w = std::clamp(width, 0, width_);
    const int h = std::clamp(height, 0, height_);
    for (int y = 0; y < h; ++y) {
        std::fill_n(pixels_.begin() + static_cast<std::ptrdiff_t>(y) * width_, w, colour);
    }
}

void Bitmap::Resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_) {
        return;
    }
    Bitmap resized(width, height, kWhite);
    const int w = std::min(width, width_);
    const int h = std::min(height, height_);
    for (int y = 0; y < h; ++y) {
        std::copy_n(Row(y), w, resized.pixels_.begin() + static_cast<std::ptrdiff_t>(y) * width);
    }
    *this = std::move(resized);
}

}  // namespace galleri
