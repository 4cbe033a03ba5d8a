#include "surface/Surface.h"

#include <algorithm>
#include <cstdlib>

#include "surface/Checked.h"

namespace galleri {

void Surface::Plot(int32_t x, int32_t y, uint32_t colour) {
    const int32_t w = ImgWidth();
    const int32_t h = ImgHeight();
    const int32_t hw = CheckedSub<int32_t>(CheckedAdd<int32_t>(w, 1) / 2, 1);
    const int32_t hh = CheckedAdd<int32_t>(h, 1) / 2;
    const int32_t px = CheckedAdd(x, hw);
    // The vertical scaling truncates towards zero on both sides of the origin.
    const int32_t ay = (y == INT32_MIN) ? throw OverflowError() : std::abs(y);
    const int32_t q = CheckedMul<int32_t>(ay, 93) / 128;
    const int64_t py = static_cast<int64_t>(hh) - static_cast<int64_t>(Sign(y)) * q;
    PutPixelChecked(px, py, colour);
}

void Surface::PutColumn(uint16_t x, const uint32_t* colours, int n) {
    const int valid = static_cast<int>(
        std::find_if(colours, colours + n, [](uint32_t c) { return c > 0x7FFFFFFFu; }) - colours);
    picture_.SetColumn(x, colours, valid);
    if (valid < n) {
        throw RangeError("a colour value above 0x7FFFFFFF");
    }
}

void Surface::BeginRender() {
    SavedCursor = platform_->Cursor();
    platform_->SetCursor(kCursorHourglass);
    platform_->SetFormEnabled(false);
    runOpen_ = true;
    AbortRequested = false;
    stoppedEarly_ = false;
    picture_.Resize(ImgWidth(), ImgHeight());
}

void Surface::EndRender() {
    platform_->SetFormEnabled(true);
    platform_->SetCursor(SavedCursor);
    runOpen_ = false;
}

void Surface::ClearAndBegin() {
    picture_.FillRect(ImgWidth(), ImgHeight(), MaxColor());
    BeginRender();
}

}  // namespace galleri
