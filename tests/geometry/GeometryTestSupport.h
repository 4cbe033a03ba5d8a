#pragma once

#include <cstdint>
#include <vector>

#include "geometry/SegmentSink.h"
#include "surface/Bitmap.h"
#include "surface/HeadlessPlatform.h"
#include "surface/Surface.h"

namespace galleri::testing {

// A fresh surface, as at program start, with a picture control of the given
// size.
struct Canvas {
    Canvas(int w, int h) : platform(w, h), surface(platform) {}
    HeadlessPlatform platform;
    Surface surface;
};

// FNV-1a (64 bit) over the pixel values, four bytes each, lowest first, and
// over the size.
inline uint64_t PictureHash(const Bitmap& picture) {
    uint64_t hash = 14695981039346656037u;
    auto mix = [&hash](uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            hash ^= (v >> (8 * i)) & 0xFFu;
            hash *= 1099511628211u;
        }
    };
    mix(static_cast<uint32_t>(picture.Width()));
    mix(static_cast<uint32_t>(picture.Height()));
    for (uint32_t v : picture.Pixels()) {
        mix(v);
    }
    return hash;
}

struct Segment {
    int32_t x1, y1, x2, y2;
    uint32_t colour;
    int8_t penWidth;
    double heading;  // the turtle's heading when the segment was sent
    bool operator==(const Segment&) const = default;
};

// Collects the segments a figure sends, with the pen and turtle state of the
// moment.
struct SegmentLog {
    std::vector<Segment> segments;
    SegmentSink Sink(Surface& surface) {
        return [this, &surface](int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
            segments.push_back({x1, y1, x2, y2, colour, surface.PenWidth, surface.TurtleHeading});
        };
    }
};

// The pixels that are not white, as indices into the picture.
inline std::vector<std::size_t> InkedPixels(const Bitmap& picture) {
    std::vector<std::size_t> inked;
    for (std::size_t i = 0; i < picture.Pixels().size(); ++i) {
        if (picture.Pixels()[i] != kWhite) {
            inked.push_back(i);
        }
    }
    return inked;
}

}  // namespace galleri::testing
