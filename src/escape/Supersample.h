#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

#include "escape/EscapeScan.h"
#include "surface/Bitmap.h"

namespace galleri {

// Pictures with several samples a pixel: n x n points on a regular grid
// about each pixel's own point, whose colours are averaged in linear light
// (decoded from sRGB, averaged, encoded again), so that thin filaments keep
// their light instead of going dark. The samples are computed a strip of
// columns at a time, so memory stays near the picture's own size for any n.

inline constexpr int kMaxSamples = 8;

// Sample s (0 to n - 1) along one axis of the pixel whose point is a, the
// next pixel's b: a + ((s + 0.5) / n - 0.5) (b - a), so the samples fill the
// pixel's cell about its point; with n = 1 the point itself.
double SamplePoint(double a, double b, int s, int n);

// Sums samples' colours in linear light and gives their mean, rounded to 8
// bits against `threshold` per channel (0.5 rounds to nearest; a dither
// threshold spreads the rounding).
class LinearMean {
  public:
    // A colour 0x00BBGGRR.
    void Add(uint32_t colour);
    // A colour in linear light already, 0 to 1 a channel.
    void AddLinear(const std::array<double, 3>& linear);
    // The mean of `count` samples as a colour 0x00BBGGRR; starts again.
    uint32_t Take(int count, double threshold);

  private:
    double r_ = 0, g_ = 0, b_ = 0;
};

// Columns of pixels whose samples are computed at once: a strip's samples
// take about as much memory as the picture.
int SampleStripColumns(int width, int n);

// Turns a strip's samples into its pixels' colours: values as an engine
// gives them for sample columns x0 n .. (x0 + columns) n - 1, each column
// height n values from the top; under params.smooth gradient entries.
class StripMeans {
  public:
    StripMeans(const EscapeParams& params, int n);
    void Put(const uint32_t* values, int x0, int columns, int height, Bitmap& picture) const;

  private:
    int n_;
    // The gradient's entries in linear light (empty for the preset colours).
    std::vector<std::array<double, 3>> entries_;
};

// The exact picture of the view whose grid is `full` (width + 1 columns and
// height + 1 rows, as MakeScanGrid makes it) with n x n samples a pixel,
// into `picture` (of that size) with `engine`. Under params.smooth the
// samples are the gradient's exact levels and the mean is dithered by the
// pixel's place. False when `cancel` stopped it, checked before each strip.
bool RenderSupersampled(EscapeEngine& engine, const EscapeParams& params, const ScanGrid& full,
                        int width, int height, int n, const std::atomic<bool>& cancel,
                        Bitmap& picture);

}  // namespace galleri
