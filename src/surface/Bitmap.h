#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace galleri {

// White in the colour layout the program computes in: red in the lowest byte,
// then green, then blue.
inline constexpr uint32_t kWhite = 0xFFFFFF;

// The picture's pixels, stored as the colour values the figures compute.
// Conversion to the toolkit's layout happens only for display and files.
class Bitmap {
  public:
    Bitmap() = default;
    Bitmap(int width, int height, uint32_t fill = kWhite);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }

    bool Contains(int64_t x, int64_t y) const {
        return x >= 0 && y >= 0 && x < width_ && y < height_;
    }
    // Writes outside the bitmap are clipped without error, like a canvas.
    void Set(int64_t x, int64_t y, uint32_t colour) {
        if (Contains(x, y)) {
            pixels_[static_cast<std::size_t>(y) * width_ + x] = colour;
        }
    }
    // Sets (x, 0) .. (x, n - 1) from colours, clipped like Set.
    void SetColumn(int64_t x, const uint32_t* colours, int64_t n);
    uint32_t Get(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
    const uint32_t* Row(int y) const {
        return pixels_.data() + static_cast<std::size_t>(y) * width_;
    }
    const std::vector<uint32_t>& Pixels() const { return pixels_; }
    // Every pixel the same colour (an empty bitmap too).
    bool Uniform() const {
        return std::adjacent_find(pixels_.begin(), pixels_.end(), std::not_equal_to<>()) ==
               pixels_.end();
    }
    // Row y as 3 * Width() bytes red, green, blue, as files want them; red is
    // the lowest byte of a colour value and the top byte does not go out.
    void RgbRow(int y, unsigned char* out) const {
        const uint32_t* src = Row(y);
        for (int x = 0; x < width_; ++x) {
            out[3 * x] = static_cast<unsigned char>(src[x] & 0xFF);
            out[3 * x + 1] = static_cast<unsigned char>((src[x] >> 8) & 0xFF);
            out[3 * x + 2] = static_cast<unsigned char>((src[x] >> 16) & 0xFF);
        }
    }

    // Fills the rectangle from (0, 0) to (width, height), clipped to the bitmap.
    void FillRect(int width, int height, uint32_t colour);
    // New size; what survives keeps its place, the gained area is white.
    void Resize(int width, int height);

    bool operator==(const Bitmap&) const = default;

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

}  // namespace galleri
