#include "geometry/Sierpinski.h"

#include <cmath>

#include "surface/Checked.h"
#include "surface/Random.h"
#include "surface/Surface.h"

namespace galleri {

namespace {

constexpr int32_t kSteps = 120000;
constexpr int32_t kRandomRange = 32767;
// Random(32767) div this picks the corner; the one largest value gives 3,
// which leaves the point where it is.
constexpr int32_t kCornerRun = 10922;
constexpr double kBottomCornerX = 320;

}  // namespace

void DrawSierpinski(Surface& surface) {
    surface.ClearAndBegin();
    const double s = std::sqrt(0.5);
    const int32_t w = surface.ImgWidth();
    const int32_t h = surface.ImgHeight();
    const double wd = w;
    const double hd = h;
    const int32_t colourDivisor = CheckedAdd(w, 1) / 127;

    double x = Random(surface, kRandomRange) / (kRandomRange / wd);
    double y = Random(surface, kRandomRange) / (kRandomRange / hd);
    for (int32_t step = 0; step < kSteps; ++step) {
        switch (Random(surface, kRandomRange) / kCornerRun) {
            case 0:
                x = x * s;
                y = y * s;
                break;
            case 1:
                x = std::sqrt((wd * wd + x * x) / 2);
                y = y * s;
                break;
            case 2:
                x = std::sqrt((kBottomCornerX * kBottomCornerX + x * x) / 2);
                y = std::sqrt((hd * hd + y * y) / 2);
                break;
            default:
                break;
        }
        const int32_t px = RoundToI32(x);
        const int32_t py = RoundToI32(y);
        // A picture narrower than 126 pixels makes the divisor 0; the window
        // never gets that narrow, a headless picture can.
        if (colourDivisor == 0) {
            throw DrawingError("Division by zero: picture narrower than 126 pixels");
        }
        const int32_t colour = CheckedAdd(px / colourDivisor, 1);
        // Points beyond a picture narrower than 320 are clipped; the 16-bit
        // coordinate checks still apply.
        surface.PutPixelChecked(px, py, CheckedCast<uint32_t>(colour));
    }
    surface.EndRender();
}

}  // namespace galleri
