#pragma once

#include <cstdint>

#include "surface/Bitmap.h"
#include "surface/Errors.h"
#include "surface/Platform.h"
#include "surface/Random.h"

namespace galleri {

class EscapeEngine;

// The one drawing surface: the picture, the shared drawing state that lives
// as long as the program, the render run and the pixel operations. Renderers
// are free functions DrawX(Surface&, ...) that set the state they use and
// leave it as it ends up.
class Surface {
  public:
    explicit Surface(Platform& platform) : platform_(&platform) {}
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    Platform& Host() { return *platform_; }
    Bitmap& Picture() { return picture_; }
    const Bitmap& Picture() const { return picture_; }

    static constexpr uint32_t MaxColor() { return 0xFFFFFF; }
    // Size of the picture control (not of its bitmap).
    int32_t ImgWidth() const { return platform_->ControlWidth(); }
    int32_t ImgHeight() const { return platform_->ControlHeight(); }

    // Sets pixel (x, y); pixels beyond the bitmap are clipped. A colour above
    // 0x7FFFFFFF is a range error raised before anything is drawn.
    void PutPixel(uint16_t x, uint16_t y, uint32_t colour) {
        if (colour > 0x7FFFFFFFu) {
            throw RangeError("a colour value above 0x7FFFFFFF");
        }
        picture_.Set(x, y, colour);
    }
    // Sets pixels (x, 0) .. (x, n - 1), n at most 65536, as n calls of
    // PutPixel from the top would: a colour above 0x7FFFFFFF is a range error
    // when it is reached, with the pixels above it set.
    void PutColumn(uint16_t x, const uint32_t* colours, int n);
    // Same, with the coordinates checked against 0..65535 first.
    void PutPixelChecked(int64_t x, int64_t y, uint32_t colour) {
        PutPixel(ToU16Coord(x), ToU16Coord(y), colour);
    }
    // Colour of a pixel of the picture; white outside the bitmap.
    uint32_t GetPixel(int64_t x, int64_t y) const {
        return picture_.Contains(x, y) ? picture_.Get(static_cast<int>(x), static_cast<int>(y))
                                       : MaxColor();
    }
    // Logical coordinates (origin near the centre, y upwards, a y unit 93/128
    // of a pixel) to a pixel.
    void Plot(int32_t x, int32_t y, uint32_t colour);

    void RequestAbort() { AbortRequested = true; }
    // The figures that test AbortRequested note here that they left their
    // drawing early because of it; BeginRender clears the note. A figure
    // that never looks at the request is done, however often it was made.
    void NoteStoppedEarly() { stoppedEarly_ = true; }
    bool StoppedEarly() const { return stoppedEarly_; }
    void BeginRender();
    void EndRender();
    void ClearAndBegin();
    bool RunOpen() const { return runOpen_; }

    // The repaint and message points of the long-running figures.
    void Update() { platform_->Update(); }
    void Refresh() { platform_->Refresh(); }
    void ProcessMessages() { platform_->ProcessMessages(); }

    // Engine that computes escape-time columns; null means the process-wide
    // fast engine (select a ScalarEngine for the plain reference).
    EscapeEngine* Engine() const { return engine_; }
    void SetEngine(EscapeEngine* engine) { engine_ = engine; }

    // Shared drawing state, one instance for the whole program.
    bool AbortRequested = false;
    int32_t IterationLimit = 128;
    int16_t SavedCursor = 0;
    int8_t PenWidth = 1;
    uint16_t LinePattern = 0xFFFF;
    uint16_t PatternBit = 0x8000;

    // Turtle.
    double TurtleX = 0;
    double TurtleY = 0;
    double TurtleStep = 0;
    double TurtleHeading = 0;

    // Random numbers of the figures: one sequence from program start.
    RandomGenerator Rng;

    // Plane window of the escape-time figures.
    double PlaneLeft = 0;
    double PlaneRight = 0;
    double PlaneBottom = 0;
    double PlaneTop = 0;
    void SetPlaneWindow(double left, double right, double bottom, double top) {
        PlaneLeft = left;
        PlaneRight = right;
        PlaneBottom = bottom;
        PlaneTop = top;
    }

  private:
    static uint16_t ToU16Coord(int64_t v) {
        if (v < 0 || v > 65535) {
            throw RangeError("pixel coordinate " + std::to_string(v) + " outside 0 to 65535");
        }
        return static_cast<uint16_t>(v);
    }

    Platform* platform_;
    Bitmap picture_;
    EscapeEngine* engine_ = nullptr;
    bool runOpen_ = false;
    bool stoppedEarly_ = false;
};

}  // namespace galleri
