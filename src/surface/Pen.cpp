#include "surface/Pen.h"

#include <cstdlib>

#include "surface/Checked.h"

namespace galleri {

namespace {

// A logical y shrunk to pixels: sign(y) * ((|y| * 93) div 128), truncating
// towards zero on both sides of the origin.
int32_t Scaled(int32_t y) {
    if (y == INT32_MIN) {
        throw OverflowError();
    }
    return Sign(y) * (CheckedMul<int32_t>(std::abs(y), 93) / 128);
}

// Row of logical y = 0 as the line and the text hold it: a signed 16-bit
// value, so a picture taller than 65534 pixels is a range error.
int16_t HalfHeight16(const Surface& surface) {
    return ToI16(CheckedAdd<int32_t>(surface.ImgHeight(), 1) / 2);
}

// The drawing half of a line step, after the walk: the dash bit (reset to the
// top bit once it has walked out) decides whether the span across the line at
// the new point is drawn, then the bit walks down. Resetting here rather than
// before the walk changes nothing, as the walk does not touch the pen.
void LineStep(Surface& surface, int16_t px, int16_t py, bool horizontalSpan, uint32_t colour) {
    if (surface.PatternBit == 0) {
        surface.PatternBit = 0x8000;
    }
    if ((surface.LinePattern & surface.PatternBit) == surface.PatternBit) {
        const int half = surface.PenWidth / 2;
        for (int k = -half; k <= half; ++k) {
            if (horizontalSpan) {
                surface.Picture().Set(int64_t{px} + k, py, colour);
            } else {
                surface.Picture().Set(px, int64_t{py} + k, colour);
            }
        }
    }
    surface.PatternBit = static_cast<uint16_t>(surface.PatternBit >> 1);
}

// One ring of the midpoint ellipse with semi-axes a and b around pixel
// (cx, cy). The decision values are 32-bit integers; the two starting values
// are worked out in double and rounded.
void EllipseRing(Surface& surface, int32_t cx, int32_t cy, int32_t a, int32_t b, uint32_t colour) {
    const auto plotFour = [&](int32_t x, int32_t y) {
        const int32_t right = CheckedAdd(cx, x);
        const int32_t left = CheckedSub(cx, x);
        const int32_t below = CheckedAdd(cy, y);
        const int32_t above = CheckedSub(cy, y);
        surface.PutPixelChecked(right, below, colour);
        surface.PutPixelChecked(right, above, colour);
        surface.PutPixelChecked(left, below, colour);
        surface.PutPixelChecked(left, above, colour);
    };
    const int32_t a2 = CheckedMul(a, a);
    const int32_t b2 = CheckedMul(b, b);
    const int32_t twoA2 = CheckedMul(2, a2);
    const int32_t twoB2 = CheckedMul(2, b2);
    const int32_t fourA2 = CheckedMul(4, a2);
    const int32_t fourB2 = CheckedMul(4, b2);
    const double da = a;
    const double db = b;

    int32_t x = 0;
    int32_t y = b;
    double dy = y;
    int32_t d =
        RoundToI32(2.0 * da * da * dy * (dy - 1.0) + da * da + 2.0 * db * db * (1.0 - da * da));
    while (CheckedMul(a2, y) > CheckedMul(b2, x)) {
        plotFour(x, y);
        if (d >= 0) {
            y = CheckedSub(y, 1);
            d = CheckedSub(d, CheckedMul(fourA2, y));
        }
        d = CheckedAdd(d, CheckedMul(twoB2, CheckedAdd(CheckedMul(2, x), 3)));
        x = CheckedAdd(x, 1);
    }

    const double dx = x;
    dy = y;
    d = RoundToI32(2.0 * db * db * dx * (dx + 1.0) + 2.0 * da * da * (dy * (dy - 2.0) + 1.0) +
                   (1.0 - 2.0 * da * da) * db * db);
    while (y >= 0) {
        plotFour(x, y);
        if (d <= 0) {
            x = CheckedAdd(x, 1);
            d = CheckedAdd(d, CheckedMul(fourB2, x));
        }
        y = CheckedSub(y, 1);
        d = CheckedAdd(d, CheckedMul(twoA2, CheckedSub(3, CheckedMul(2, y))));
    }
}

}  // namespace

void DrawLine(Surface& surface, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    const int32_t centreX = surface.ImgWidth() / 2;
    const int16_t hh = HalfHeight16(surface);
    const int16_t mx1 = ToI16(CheckedAdd(x1, centreX));
    const int16_t my1 = ToI16(CheckedSub<int32_t>(hh, Scaled(y1)));
    const int16_t mx2 = ToI16(CheckedAdd(x2, centreX));
    const int16_t my2 = ToI16(CheckedSub<int32_t>(hh, Scaled(y2)));

    const int16_t dx = ToI16(int32_t{mx2} - mx1);
    const int16_t dy = ToI16(int32_t{my2} - my1);
    const int sx = Sign(dx);
    const int sy = Sign(dy);
    const int16_t adx = ToI16(std::abs(int32_t{dx}));
    const int16_t ady = ToI16(std::abs(int32_t{dy}));

    int16_t px = mx1;
    int16_t py = my1;
    int16_t e = 0;
    if (adx >= ady) {
        for (int16_t n = 0; n < adx; ++n) {
            e = ToI16(int32_t{e} + ady);
            if (e >= adx) {
                e = ToI16(int32_t{e} - adx);
                py = ToI16(int32_t{py} + sy);
            }
            px = ToI16(int32_t{px} + sx);
            LineStep(surface, px, py, false, colour);
        }
    } else {
        for (int16_t n = 0; n < ady; ++n) {
            e = ToI16(int32_t{e} + adx);
            if (e >= ady) {
                e = ToI16(int32_t{e} - ady);
                px = ToI16(int32_t{px} + sx);
            }
            py = ToI16(int32_t{py} + sy);
            LineStep(surface, px, py, true, colour);
        }
    }
}

void DrawEllipse(Surface& surface, int32_t x, int32_t y, int32_t r, uint32_t colour, double ratio) {
    const int8_t penWidth = surface.PenWidth;
    const int32_t rr = CheckedSub<int32_t>(r, penWidth / 2);
    const int32_t a = TruncToI32(static_cast<double>(rr) / ratio);
    int32_t b = Scaled(rr);
    const int32_t cx = CheckedAdd(x, CheckedAdd<int32_t>(surface.ImgWidth(), 1) / 2);
    const int32_t hh = CheckedAdd<int32_t>(surface.ImgHeight(), 1) / 2;
    const int32_t cy = CheckedSub(hh, Scaled(y));
    if (penWidth < 1) {
        return;
    }
    for (int ring = 0; ring < penWidth; ++ring) {
        EllipseRing(surface, cx, cy, a, b, colour);
        b = CheckedAdd(b, 1);
    }
}

void TextAt(Surface& surface, int32_t x, int32_t y, const std::string& text) {
    const int32_t px = CheckedAdd(x, surface.ImgWidth() / 2);
    const int16_t hh = HalfHeight16(surface);
    const int32_t py = CheckedSub<int32_t>(hh, Scaled(y));
    surface.Host().TextOut(surface.Picture(), px, py, text);
}

}  // namespace galleri
