#include "escape/Supersample.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "colour/ColourSpace.h"
#include "colour/Gradient.h"
#include "colour/OrderedDither.h"
#include "escape/SmoothColouring.h"

namespace galleri {

namespace {

// Linear light of each 8-bit level.
const std::array<double, 256>& LinearOf8Bit() {
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (int i = 0; i < 256; ++i) {
            t[static_cast<size_t>(i)] = SrgbToLinear(i / 255.0);
        }
        return t;
    }();
    return table;
}

uint8_t Encoded(double linear, double threshold) {
    const double level = LinearToSrgb(std::clamp(linear, 0.0, 1.0)) * 255.0;
    return static_cast<uint8_t>(std::min(static_cast<int>(level + threshold), 255));
}

}  // namespace

double SamplePoint(double a, double b, int s, int n) {
    return a + ((s + 0.5) / n - 0.5) * (b - a);
}

void LinearMean::Add(uint32_t colour) {
    const std::array<double, 256>& linear = LinearOf8Bit();
    r_ += linear[colour & 0xFF];
    g_ += linear[(colour >> 8) & 0xFF];
    b_ += linear[(colour >> 16) & 0xFF];
}

void LinearMean::AddLinear(const std::array<double, 3>& linear) {
    r_ += linear[0];
    g_ += linear[1];
    b_ += linear[2];
}

uint32_t LinearMean::Take(int count, double threshold) {
    const uint32_t colour = static_cast<uint32_t>(Encoded(r_ / count, threshold)) |
                            (static_cast<uint32_t>(Encoded(g_ / count, threshold)) << 8) |
                            (static_cast<uint32_t>(Encoded(b_ / count, threshold)) << 16);
    r_ = g_ = b_ = 0;
    return colour;
}

int SampleStripColumns(int width, int n) {
    return std::max(1, width / (n * n));
}

StripMeans::StripMeans(const EscapeParams& params, int n) : n_(std::clamp(n, 1, kMaxSamples)) {
    if (params.smooth != nullptr) {
        entries_.resize(Gradient::kEntries);
        for (int e = 0; e < Gradient::kEntries; ++e) {
            const std::array<float, 3> level = params.smooth->Levels(static_cast<uint32_t>(e));
            entries_[static_cast<size_t>(e)] = {SrgbToLinear(level[0] / 255.0),
                                                SrgbToLinear(level[1] / 255.0),
                                                SrgbToLinear(level[2] / 255.0)};
        }
    }
}

void StripMeans::Put(const uint32_t* values, int x0, int columns, int height,
                     Bitmap& picture) const {
    const int n = n_;
    const size_t sampleRows = static_cast<size_t>(height) * n;
    for (int c = 0; c < columns; ++c) {
        const int i = x0 + c;
        for (int j = 0; j < height; ++j) {
            LinearMean mean;
            for (int s = 0; s < n; ++s) {
                const uint32_t* column = values + (static_cast<size_t>(c) * n + s) * sampleRows +
                                         static_cast<size_t>(j) * n;
                for (int t = 0; t < n; ++t) {
                    if (entries_.empty()) {
                        mean.Add(column[t]);
                    } else if (column[t] != SmoothColouring::kInterior) {
                        mean.AddLinear(entries_[column[t]]);
                    }
                }
            }
            // The smooth colours are dithered by the pixel's place, as they
            // are with one sample.
            picture.Set(i, j,
                        mean.Take(n * n, entries_.empty() ? 0.5 : OrderedDitherThreshold(i, j)));
        }
    }
}

bool RenderSupersampled(EscapeEngine& engine, const EscapeParams& params, const ScanGrid& full,
                        int width, int height, int n, const std::atomic<bool>& cancel,
                        Bitmap& picture) {
    n = std::clamp(n, 1, kMaxSamples);
    const StripMeans means(params, n);
    ScanGrid grid;
    grid.rows = height * n;
    grid.rowIm.resize(static_cast<size_t>(grid.rows));
    for (int j = 0; j < height; ++j) {
        for (int t = 0; t < n; ++t) {
            grid.rowIm[static_cast<size_t>(j) * n + t] =
                SamplePoint(full.rowIm[j], full.rowIm[j + 1], t, n);
        }
    }
    const int strip = SampleStripColumns(width, n);
    std::vector<uint32_t> values;
    for (int x0 = 0; x0 < width; x0 += strip) {
        if (cancel.load(std::memory_order_relaxed)) {
            return false;
        }
        const int columns = std::min(strip, width - x0);
        grid.columns = columns * n;
        grid.columnRe.resize(static_cast<size_t>(grid.columns));
        for (int c = 0; c < columns; ++c) {
            const int i = x0 + c;
            for (int s = 0; s < n; ++s) {
                grid.columnRe[static_cast<size_t>(c) * n + s] =
                    SamplePoint(full.columnRe[i], full.columnRe[i + 1], s, n);
            }
        }
        values.resize(static_cast<size_t>(grid.columns) * grid.rows);
        engine.ComputeColumns(params, grid, 0, grid.columns, values.data());
        means.Put(values.data(), x0, columns, height, picture);
    }
    return true;
}

}  // namespace galleri
