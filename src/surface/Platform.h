#pragma once

#include <cstdint>
#include <string>

namespace galleri {

class Bitmap;

// Cursor codes of the application-wide cursor.
inline constexpr int16_t kCursorDefault = 0;
inline constexpr int16_t kCursorHourglass = -11;

// What only a toolkit can do for the drawing core: the size of the picture
// control, the cursor, enabling the window, repainting, handling pending
// messages and drawing text. The window implements it with Qt widgets; the
// CLI, the tests and the benchmarks have headless implementations.
class Platform {
  public:
    virtual ~Platform() = default;

    // Size of the picture control in pixels.
    virtual int ControlWidth() const = 0;
    virtual int ControlHeight() const = 0;

    virtual int16_t Cursor() const = 0;
    virtual void SetCursor(int16_t code) = 0;
    virtual void SetFormEnabled(bool enabled) = 0;

    // Repaint the invalid areas of the window at once.
    virtual void Update() = 0;
    // Invalidate the whole window and repaint it at once.
    virtual void Refresh() = 0;
    // Handle all pending window messages (Escape among them) and return.
    virtual void ProcessMessages() = 0;

    // Draws text with the default font, black on the default white brush,
    // its top-left corner at pixel (px, py); clipped to the bitmap.
    virtual void TextOut(Bitmap& picture, int px, int py, const std::string& text) = 0;

    // Whether anyone can see the picture grow or press Escape while a figure
    // draws. When nobody can (a program that only writes a file), the
    // escape-time scan computes far ahead of its repaint and message points;
    // it still writes its columns and calls them in the same order.
    virtual bool Watched() const { return true; }

    // Columns of an escape-time scan done so far, of all; for progress
    // display. Called often: keep it cheap.
    virtual void ScanProgress(int done, int total) {
        (void)done;
        (void)total;
    }
};

}  // namespace galleri
