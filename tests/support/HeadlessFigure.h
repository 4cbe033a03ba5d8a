#pragma once

// Helpers for figure tests: draw a menu command into a headless surface and
// fingerprint the picture. Header-only so that any test file can use them.

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>

#include "commands/Commands.h"
#include "escape/EscapeScan.h"
#include "surface/Bitmap.h"
#include "surface/HeadlessPlatform.h"
#include "surface/Surface.h"

namespace galleri::testsupport {

// FNV-1a (64 bit) over the pixel values, each fed as four bytes, lowest first,
// rows from the top. Golden checksums of whole figures use it.
inline uint64_t PixelChecksum(const Bitmap& picture) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (const uint32_t pixel : picture.Pixels()) {
        for (int shift = 0; shift < 32; shift += 8) {
            hash ^= (pixel >> shift) & 0xFFu;
            hash *= 0x100000001b3ull;
        }
    }
    return hash;
}

// An engine that computes with the scalar reference and remembers the grid
// and how many columns the scan asked for.
class RecordingEngine : public EscapeEngine {
  public:
    void ComputeColumns(const EscapeParams& params, const ScanGrid& scanGrid, int first, int count,
                        uint32_t* out) override {
        columns = first + count > columns ? first + count : columns;
        grid = scanGrid;
        scalar.ComputeColumns(params, scanGrid, first, count, out);
    }
    ScalarEngine scalar;
    ScanGrid grid;
    int columns = 0;
};

// A headless platform and the surface that draws on it.
struct HeadlessFigure {
    HeadlessFigure(int width, int height) : platform(width, height), surface(platform) {}

    // Runs a menu command (caption or item name) as the window would.
    void Run(const std::string& command) {
        const Command* found = FindCommand(command);
        if (found == nullptr || found->draw == nullptr) {
            throw std::invalid_argument("no figure command " + command);
        }
        RunFigure(surface, *found);
    }

    const Bitmap& Picture() const { return surface.Picture(); }
    uint32_t Pixel(int x, int y) const { return surface.Picture().Get(x, y); }
    uint64_t Checksum() const { return PixelChecksum(surface.Picture()); }

    // True when every pixel of columns [first, last) is white.
    bool ColumnsWhite(int first, int last) const {
        const Bitmap& b = surface.Picture();
        for (int y = 0; y < b.Height(); ++y) {
            for (int x = first; x < last; ++x) {
                if (b.Get(x, y) != kWhite) {
                    return false;
                }
            }
        }
        return true;
    }

    HeadlessPlatform platform;
    Surface surface;
};

// Draws a command with Escape pressed at its k-th message point and checks
// the result against the complete drawing: the columns before the stop
// (k * interval of them) are equal, the rest stay white, and the run saw
// exactly k message points.
inline ::testing::AssertionResult StopsAtColumnBoundary(const std::string& command, int width,
                                                        int height, int k, int interval) {
    HeadlessFigure full(width, height);
    full.Run(command);
    HeadlessFigure stopped(width, height);
    int seen = 0;
    stopped.platform.onMessages = [&] {
        if (++seen == k) {
            stopped.surface.RequestAbort();
        }
    };
    stopped.Run(command);
    const int done = k * interval;
    if (stopped.platform.messagePoints != k) {
        return ::testing::AssertionFailure()
               << "message points: " << stopped.platform.messagePoints << ", expected " << k;
    }
    if (stopped.surface.RunOpen() || !stopped.platform.FormEnabled()) {
        return ::testing::AssertionFailure() << "the run was not closed";
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t expected = x < done ? full.Pixel(x, y) : kWhite;
            if (stopped.Pixel(x, y) != expected) {
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is " << stopped.Pixel(x, y)
                       << ", expected " << expected;
            }
        }
    }
    if (full.ColumnsWhite(done, width)) {
        return ::testing::AssertionFailure() << "the complete picture is white after the stop";
    }
    return ::testing::AssertionSuccess();
}

// Draws a menu command into a fresh headless surface and returns the picture;
// escape-time figures compute with the given engine (null: the scalar
// reference).
inline Bitmap DrawCommand(const std::string& command, int width, int height,
                          EscapeEngine* engine = nullptr) {
    HeadlessFigure figure(width, height);
    figure.surface.SetEngine(engine);
    figure.Run(command);
    return figure.Picture();
}

}  // namespace galleri::testsupport
