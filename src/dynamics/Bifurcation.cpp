#include "dynamics/Bifurcation.h"

#include <cstdint>

#include "surface/Checked.h"
#include "surface/Surface.h"

namespace galleri {

namespace {

constexpr int32_t kIterations = 256;
constexpr int32_t kLastHidden = 64;  // iterates with j = 0..64 are transient
constexpr double kEscapeBound = 1000000.0;
constexpr uint32_t kRed = 255;

}  // namespace

void DrawBifurcation(Surface& surface, int index) {
    surface.ClearAndBegin();
    surface.PenWidth = 1;
    const bool closeUp = index == 1 || index == 3;
    const bool fullHeight = index == 1 || index == 2;

    double step = 0.005;
    double r = 0.95;
    if (closeUp) {
        r = 3.55;
        step = 0.0005;
    }

    uint16_t col = 0;
    bool escaped = false;
    do {
        double x = 0.5;
        // Repeated addition, not a multiple of the step: the rounding it
        // accumulates decides where r passes 4.
        r = r + step;
        int32_t j = 0;
        do {
            x = (r * x) * (1.0 - x);
            escaped = x > kEscapeBound || x < -kEscapeBound;
            if (!escaped) {
                const int32_t h = surface.ImgHeight();
                // H + 1 is an integer; the product is subtracted from H.
                const double v =
                    fullHeight ? h - x * CheckedAdd<int32_t>(h, 1) : h - (x / r) * 700.0;
                const uint16_t row = (v >= 0.0 && v <= h) ? ToU16(TruncToI32(v)) : ToU16(h);
                if (j > kLastHidden && row < surface.ImgHeight() && col < surface.ImgWidth()) {
                    surface.PutPixel(col, row, kRed);
                }
            }
            j = j + 1;
        } while (!(j > kIterations - 1 || escaped));
        col = ToU16(int32_t{col} + 1);
    } while (!(col > surface.ImgWidth() - 1 || escaped || surface.AbortRequested));
    if (!(col > surface.ImgWidth() - 1 || escaped)) {
        surface.NoteStoppedEarly();
    }
    surface.EndRender();
}

}  // namespace galleri
