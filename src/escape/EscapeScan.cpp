#include "escape/EscapeScan.h"

#include <algorithm>

#include "escape/FastEngine.h"
#include "escape/SmoothColouring.h"
#include "surface/Errors.h"
#include "surface/Surface.h"

namespace galleri {

namespace {

// Columns the scan asks for at a time when no message point comes between
// them (nobody sees the picture before the scan's end, or the figure has no
// message points): at most 32, and an eighth of a narrow picture, so that
// its buffers stay well below the picture's size. The fast engine computes
// further ahead still.
constexpr int kUnwatchedBlock = 32;

int UnwatchedBlock(int columns) {
    return std::clamp(columns / 8, 1, kUnwatchedBlock);
}

void Repaint(Surface& surface, RepaintOp op) {
    switch (op) {
        case RepaintOp::Update:
            surface.Update();
            break;
        case RepaintOp::Refresh:
            surface.Refresh();
            break;
        case RepaintOp::None:
            break;
    }
}

// Writes one computed column into the picture, top row first; under the
// smooth colouring the engine's values become colours here, where each
// pixel's place is known. Pixel coordinates are 16-bit: a picture of more
// than 65536 rows fails with a range error at row 65536, after the rows
// above it.
void WriteColumn(Surface& surface, const EscapeParams& params, int i, const uint32_t* colours,
                 int rows, int64_t allRows, std::vector<uint32_t>& smoothed) {
    if (params.smooth != nullptr) {
        smoothed.resize(static_cast<size_t>(rows));
        for (int j = 0; j < rows; ++j) {
            smoothed[j] = params.smooth->Colour(colours[j], i, j);
        }
        colours = smoothed.data();
    }
    surface.PutColumn(static_cast<uint16_t>(i), colours, rows);
    if (allRows > rows) {
        throw RangeError("row 65536 is past the largest pixel coordinate, 65535");
    }
}

}  // namespace

ScanGrid MakeScanGrid(double left, double right, double bottom, double top, int width, int height,
                      const ScanSettings& settings) {
    ScanGrid grid;
    grid.columns = static_cast<int>(std::min<int64_t>(int64_t{width} + 1, kPixelCoordinates));
    grid.rows = static_cast<int>(std::min<int64_t>(int64_t{height} + 1, kPixelCoordinates));
    const double dx = (right - left) / static_cast<double>(width + settings.divisorExtra);
    const double dy = (top - bottom) / static_cast<double>(height + settings.divisorExtra);
    grid.columnRe.resize(static_cast<size_t>(grid.columns));
    grid.rowIm.resize(static_cast<size_t>(grid.rows));
    if (settings.form == PointForm::Accumulated) {
        // The row table holds rows 0 to 4096; filling entry 4097 fails before
        // any pixel is set.
        if (int64_t{height} + 1 > kRowTableSize) {
            throw RangeError("picture height " + std::to_string(height) +
                             " exceeds this figure's " + std::to_string(kRowTableSize - 1) +
                             " rows");
        }
        grid.rowIm[0] = top;
        for (int j = 1; j < grid.rows; ++j) {
            grid.rowIm[j] = grid.rowIm[j - 1] - dy;
        }
        double x = left;
        for (int i = 0; i < grid.columns; ++i) {
            grid.columnRe[i] = x;
            x = x + dx;
        }
    } else {
        for (int j = 0; j < grid.rows; ++j) {
            grid.rowIm[j] = top - (static_cast<double>(j) * dy);
        }
        for (int i = 0; i < grid.columns; ++i) {
            grid.columnRe[i] = left + (static_cast<double>(i) * dx);
        }
    }
    return grid;
}

const uint32_t* EscapeEngine::Columns(const EscapeParams& params, const ScanGrid& grid, int first,
                                      int count, std::vector<uint32_t>& buffer) {
    buffer.resize(static_cast<size_t>(count) * grid.rows);
    ComputeColumns(params, grid, first, count, buffer.data());
    return buffer.data();
}

void ScalarEngine::ComputeColumns(const EscapeParams& params, const ScanGrid& grid, int first,
                                  int count, uint32_t* out) {
    for (int c = 0; c < count; ++c) {
        const double re = grid.columnRe[first + c];
        for (int j = 0; j < grid.rows; ++j) {
            *out++ = EscapeColour(params, re, grid.rowIm[j]);
        }
    }
}

void DrawEscapeFigure(Surface& surface, const PlaneRect& rect, const ScanSettings& settings,
                      const EscapeParams& params) {
    surface.ClearAndBegin();
    surface.IterationLimit = ClampedLimit(params.limit);
    surface.PenWidth = 1;
    surface.SetPlaneWindow(rect.left, rect.right, rect.bottom, rect.top);
    EscapeScan(surface, settings, params);
    surface.EndRender();
}

void EscapeScan(Surface& surface, const ScanSettings& settings, const EscapeParams& params) {
    EscapeScan(surface, settings, params, surface.PlaneLeft, surface.PlaneRight,
               surface.PlaneBottom, surface.PlaneTop);
}

void EscapeScan(Surface& surface, const ScanSettings& settings, const EscapeParams& params,
                double left, double right, double bottom, double top) {
    const int width = surface.ImgWidth();
    const int height = surface.ImgHeight();
    // The grid holds only the columns and rows a pixel coordinate can reach,
    // so no buffer grows with a size that is bound to fail.
    const ScanGrid grid = MakeScanGrid(left, right, bottom, top, width, height, settings);

    EscapeEngine& engine = surface.Engine() ? *surface.Engine() : DefaultFastEngine();
    struct ScanGuard {
        EscapeEngine& engine;
        ~ScanGuard() { engine.EndScan(); }
    };
    engine.BeginScan();
    const ScanGuard guard{engine};

    // Blocks end at the message points, where the picture may be seen and
    // the scan stopped; when nobody watches, only the progress display
    // looks, and far fewer hand-overs are needed.
    const int blockLimit = settings.messageInterval > 0 && surface.Host().Watched()
                               ? settings.messageInterval
                               : UnwatchedBlock(grid.columns);
    std::vector<uint32_t> buffer;
    std::vector<uint32_t> smoothed;

    int i = 0;
    while (true) {
        if (i == grid.columns) {
            // Column 65536 of a wider picture: its pixel coordinate does not
            // fit the pixel operation.
            throw RangeError("column 65536 is past the largest pixel coordinate, 65535");
        }
        // Columns up to the next message point can be computed ahead: nothing
        // else can change the picture or the stop request before it.
        const int count = std::min(blockLimit - (i % blockLimit), grid.columns - i);
        const uint32_t* block = engine.Columns(params, grid, i, count, buffer);
        bool stop = false;
        for (int c = 0; c < count && !stop; ++c) {
            WriteColumn(surface, params, i, block + static_cast<size_t>(c) * grid.rows, grid.rows,
                        int64_t{height} + 1, smoothed);
            ++i;
            if (settings.messageInterval > 0 && i % settings.messageInterval == 0) {
                Repaint(surface, settings.repaint);
                surface.ProcessMessages();
            }
            stop = i > width || (settings.testsAbort && surface.AbortRequested);
        }
        surface.Host().ScanProgress(i, grid.columns);
        if (stop) {
            if (i <= width) {
                surface.NoteStoppedEarly();
            }
            break;
        }
    }
}

}  // namespace galleri
