#include "escape/EscapeScan.h"

#include <algorithm>

#include "escape/FastEngine.h"
#include "surface/Errors.h"
#include "surface/Surface.h"

namespace galleri {

namespace {

// Columns computed ahead when the figure has no message points; the picture
// only shows when the command returns, so the block size is invisible.
constexpr int kBlockWithoutMessages = 256;

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

// Writes one computed column into the picture, top row first. Pixel
// coordinates are 16-bit: column or row 65536 is a range error.
void WriteColumn(Surface& surface, int i, const uint32_t* colours, int rows) {
    if (i > 65535) {
        throw RangeError();
    }
    for (int j = 0; j < rows; ++j) {
        if (j > 65535) {
            throw RangeError();
        }
        surface.PutPixel(static_cast<uint16_t>(i), static_cast<uint16_t>(j), colours[j]);
    }
}

}  // namespace

ScanGrid MakeScanGrid(double left, double right, double bottom, double top, int width, int height,
                      const ScanSettings& settings) {
    ScanGrid grid;
    grid.columns = width + 1;
    grid.rows = height + 1;
    const double dx = (right - left) / static_cast<double>(width + settings.divisorExtra);
    const double dy = (top - bottom) / static_cast<double>(height + settings.divisorExtra);
    grid.columnRe.resize(static_cast<size_t>(grid.columns));
    grid.rowIm.resize(static_cast<size_t>(grid.rows));
    if (settings.form == PointForm::Accumulated) {
        // The row table holds rows 0 to 4096; filling entry 4097 fails before
        // any pixel is set.
        if (grid.rows > kRowTableSize) {
            throw RangeError();
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
    surface.IterationLimit = static_cast<int32_t>(params.limit);
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
    const ScanGrid grid = MakeScanGrid(left, right, bottom, top, width, height, settings);

    EscapeEngine& engine = surface.Engine() ? *surface.Engine() : DefaultFastEngine();
    struct ScanGuard {
        EscapeEngine& engine;
        ~ScanGuard() { engine.EndScan(); }
    };
    engine.BeginScan();
    const ScanGuard guard{engine};

    const int blockLimit =
        settings.messageInterval > 0 ? settings.messageInterval : kBlockWithoutMessages;
    std::vector<uint32_t> block(static_cast<size_t>(blockLimit) * grid.rows);

    int i = 0;
    while (true) {
        // Columns up to the next message point can be computed ahead: nothing
        // else can change the picture or the stop request before it.
        const int count = std::min(blockLimit - (i % blockLimit), grid.columns - i);
        engine.ComputeColumns(params, grid, i, count, block.data());
        bool stop = false;
        for (int c = 0; c < count && !stop; ++c) {
            WriteColumn(surface, i, block.data() + static_cast<size_t>(c) * grid.rows, grid.rows);
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
