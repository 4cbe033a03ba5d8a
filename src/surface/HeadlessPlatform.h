#pragma once

#include <functional>

#include "surface/Platform.h"

namespace galleri {

// A platform without a window: a fixed control size, a remembered cursor and
// enabled state, and counters of the repaint and message points. Text is
// drawn by a function that can be set (the CLI renders it with Qt; core tests
// may leave it out, which draws nothing).
class HeadlessPlatform : public Platform {
  public:
    HeadlessPlatform(int width, int height) : width_(width), height_(height) {}

    void SetControlSize(int width, int height) {
        width_ = width;
        height_ = height;
    }
    int ControlWidth() const override { return width_; }
    int ControlHeight() const override { return height_; }

    int16_t Cursor() const override { return cursor_; }
    void SetCursor(int16_t code) override { cursor_ = code; }
    void SetFormEnabled(bool enabled) override { enabled_ = enabled; }
    bool FormEnabled() const { return enabled_; }

    void Update() override { ++updates; }
    void Refresh() override { ++refreshes; }
    void ProcessMessages() override {
        ++messagePoints;
        if (onMessages) {
            onMessages();
        }
    }
    void TextOut(Bitmap& picture, int px, int py, const std::string& text) override {
        if (textOut) {
            textOut(picture, px, py, text);
        }
    }
    bool Watched() const override { return watched; }
    void ScanProgress(int done, int total) override {
        if (onProgress) {
            onProgress(done, total);
        }
    }

    // False for a program that only writes the picture to a file.
    bool watched = true;
    int updates = 0;
    int refreshes = 0;
    int messagePoints = 0;
    // Runs at every message point, as pending messages would (tests press
    // Escape here).
    std::function<void()> onMessages;
    std::function<void(Bitmap&, int, int, const std::string&)> textOut;
    std::function<void(int, int)> onProgress;

  private:
    int width_;
    int height_;
    int16_t cursor_ = kCursorDefault;
    bool enabled_ = true;
};

}  // namespace galleri
