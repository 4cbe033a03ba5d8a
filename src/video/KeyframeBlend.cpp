#include "video/KeyframeBlend.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <thread>
#include <vector>

namespace galleri {

namespace {

// The pixels of one axis that make a position, and their weights.
struct Taps {
    int first = 0;
    int count = 0;
    std::array<float, 4> weight{};
};

// A triangle filter of radius max(1, scale), at most 2, about position p of
// an axis (the caller clamps the pixels to the picture).
Taps TapsAt(double p, double scale) {
    const double radius = std::clamp(scale, 1.0, 2.0);
    Taps taps;
    const int lo = static_cast<int>(std::floor(p - radius)) + 1;
    double sum = 0;
    std::array<double, 4> w{};
    int count = 0;
    for (int i = lo; i < p + radius && count < 4; ++i) {
        w[count++] = std::max(0.0, 1 - std::fabs(i - p) / radius);
        sum += w[count - 1];
    }
    taps.first = lo;
    taps.count = count;
    for (int k = 0; k < count; ++k) {
        taps.weight[k] = static_cast<float>(sum > 0 ? w[k] / sum : 0);
    }
    return taps;
}

struct Axis {
    std::vector<Taps> outer, inner;
    // How far inside the inner keyframe's edge a position lies, in frame
    // pixels (negative outside it).
    std::vector<float> insideInner;
};

Axis MakeAxis(int n, double fixed, double outerScale, double innerScale) {
    Axis axis;
    axis.outer.resize(n);
    axis.inner.resize(n);
    axis.insideInner.resize(n);
    for (int x = 0; x < n; ++x) {
        const double po = fixed + (x - fixed) * outerScale;
        const double pi = fixed + (x - fixed) * innerScale;
        axis.outer[x] = TapsAt(po, outerScale);
        axis.inner[x] = TapsAt(pi, innerScale);
        axis.insideInner[x] = static_cast<float>(std::min(pi, n - 1 - pi) / innerScale);
    }
    return axis;
}

uint32_t Mix(uint32_t a, uint32_t b, float wa) {
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const float v = wa * static_cast<float>((a >> shift) & 0xFF) +
                        (1 - wa) * static_cast<float>((b >> shift) & 0xFF);
        out |= static_cast<uint32_t>(std::clamp(std::lround(v), 0L, 255L)) << shift;
    }
    return out;
}

uint32_t Sample(const Bitmap& picture, const Taps& tx, const Taps& ty) {
    const int w = picture.Width(), h = picture.Height();
    float r = 0, g = 0, b = 0;
    for (int j = 0; j < ty.count; ++j) {
        const uint32_t* row = picture.Row(std::clamp(ty.first + j, 0, h - 1));
        float rr = 0, gg = 0, bb = 0;
        for (int i = 0; i < tx.count; ++i) {
            const uint32_t c = row[std::clamp(tx.first + i, 0, w - 1)];
            const float wx = tx.weight[i];
            rr += wx * static_cast<float>(c & 0xFF);
            gg += wx * static_cast<float>((c >> 8) & 0xFF);
            bb += wx * static_cast<float>((c >> 16) & 0xFF);
        }
        const float wy = ty.weight[j];
        r += wy * rr;
        g += wy * gg;
        b += wy * bb;
    }
    const auto byte = [](float v) {
        return static_cast<uint32_t>(std::clamp(std::lround(v), 0L, 255L));
    };
    return byte(r) | byte(g) << 8 | byte(b) << 16;
}

}  // namespace

Bitmap BlendKeyframes(const Keyframe& outer, const Keyframe& inner, PicturePoint fixed,
                      int threads) {
    const int w = outer.picture->Width(), h = outer.picture->Height();
    const Axis ax = MakeAxis(w, fixed.x, outer.scaleX, inner.scaleX);
    const Axis ay = MakeAxis(h, fixed.y, outer.scaleY, inner.scaleY);
    // The inner keyframe, sharper, fades in over a band inside its edge, so
    // that no seam shows where the pictures meet.
    const float band = std::max(2.0f, static_cast<float>(std::min(w, h)) / 24);
    Bitmap frame(w, h);
    const auto rows = [&](int from, int to) {
        for (int y = from; y < to; ++y) {
            for (int x = 0; x < w; ++x) {
                const float inside = std::min(ax.insideInner[x], ay.insideInner[y]);
                uint32_t colour = 0;
                if (inside >= band) {
                    colour = Sample(*inner.picture, ax.inner[x], ay.inner[y]);
                } else if (inside >= 0) {
                    colour = Mix(Sample(*inner.picture, ax.inner[x], ay.inner[y]),
                                 Sample(*outer.picture, ax.outer[x], ay.outer[y]), inside / band);
                } else {
                    colour = Sample(*outer.picture, ax.outer[x], ay.outer[y]);
                }
                frame.Set(x, y, colour);
            }
        }
    };
    const int n = std::clamp(
        threads > 0 ? threads : static_cast<int>(std::thread::hardware_concurrency()), 1, 64);
    std::vector<std::thread> workers;
    for (int k = 1; k < n; ++k) {
        workers.emplace_back(rows, h * k / n, h * (k + 1) / n);
    }
    rows(0, h / n);
    for (std::thread& t : workers) {
        t.join();
    }
    return frame;
}

}  // namespace galleri
