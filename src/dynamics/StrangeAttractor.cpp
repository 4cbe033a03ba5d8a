#include "dynamics/StrangeAttractor.h"

#include <cmath>

#include "surface/Checked.h"
#include "surface/Surface.h"

namespace galleri {

AttractorPoint StrangeAttractorNext(const AttractorPoint& p) {
    return {std::sin(p.y * 2.24) - p.z * std::cos(p.x * 0.43),
            p.z * std::sin(p.x * -0.65) - std::cos(p.y * -2.43), std::sin(p.x)};
}

double StrangeAttractorScaleX(int32_t width) {
    // Fixed point with four decimals: the integer division truncates.
    const int64_t fixed = CheckedMul<int64_t>(width, 100000000) / 56000;
    return static_cast<double>(fixed) / 10000.0;
}

AttractorPixel StrangeAttractorPixel(int index, const AttractorPoint& p, double sx, double sy) {
    if (index == 0) {
        return {RoundToI32((p.x + 2.8) * sx), RoundToI32((p.y + 2.0) * sy)};
    }
    return {RoundToI32((p.y + 2.8) * sx), RoundToI32((p.z + 2.0) * sy)};
}

uint32_t NextDensityColour(uint32_t colour) {
    const int64_t m = Surface::MaxColor();
    return static_cast<uint32_t>(((int64_t{colour} + 1) % m) + 1);
}

void DrawStrangeAttractor(Surface& surface, int index) {
    surface.ClearAndBegin();
    AttractorPoint p{0.0, 0.0, 0.0};
    surface.IterationLimit = 50000;
    const double sx = StrangeAttractorScaleX(surface.ImgWidth());
    const double sy = surface.ImgHeight() / 4.0;

    const int32_t count = surface.IterationLimit;
    for (int32_t i = 0; i < count; ++i) {
        p = StrangeAttractorNext(p);
        const AttractorPixel px = StrangeAttractorPixel(index, p, sx, sy);
        if (px.column > 0 && px.column <= surface.ImgWidth() && px.row > 0 &&
            px.row <= surface.ImgHeight()) {
            // The pixel in column ImgWidth or row ImgHeight lies just outside:
            // it reads as white and the write is clipped.
            const uint32_t c = surface.GetPixel(px.column, px.row);
            surface.PutPixelChecked(px.column, px.row, NextDensityColour(c));
        }
    }
    surface.EndRender();
}

}  // namespace galleri
