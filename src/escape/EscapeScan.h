#pragma once

#include <climits>
#include <cstdint>
#include <vector>

#include "escape/EscapeKernels.h"

namespace galleri {

class Surface;

// How a pixel's point is formed from the plane window.
enum class PointForm {
    Accumulated,  // row table by repeated subtraction, real part a running sum
    Direct,       // (left + i*dx, top - j*dy) afresh for every pixel
};

enum class RepaintOp { None, Update, Refresh };

// The settings each escape-time figure gives the shared scan.
struct ScanSettings {
    PointForm form = PointForm::Accumulated;
    int divisorExtra = 0;     // window divided by ImgWidth + extra, ImgHeight + extra
    int messageInterval = 0;  // repaint and handle messages every so many columns; 0: never
    RepaintOp repaint = RepaintOp::None;
    bool testsAbort = true;  // stop test after each column
};

// The points of the scan: the real part of every column and the imaginary part
// of every row, computed once in the order the form prescribes. A pixel's
// point is (columnRe[i], rowIm[j]) in both forms. Only columns and rows that
// a 16-bit pixel coordinate can reach have points: the scan fails with a
// range error where it would write column or row 65536.
struct ScanGrid {
    int columns = 0;  // ImgWidth + 1, at most 65536
    int rows = 0;     // ImgHeight + 1, at most 65536
    std::vector<double> columnRe;
    std::vector<double> rowIm;
};

// Rows the accumulated form's row table holds (0 to 4096).
inline constexpr int kRowTableSize = 4097;
// Columns and rows a pixel coordinate can reach (0 to 65535).
inline constexpr int kPixelCoordinates = 65536;

// Builds the grid for the surface's plane window and picture size. The
// accumulated form raises the range error for a picture over 4096 rows high.
ScanGrid MakeScanGrid(double left, double right, double bottom, double top, int width, int height,
                      const ScanSettings& settings);

// Computes whole columns of colours independently of the picture.
class EscapeEngine {
  public:
    virtual ~EscapeEngine() = default;
    // Colours of columns first .. first+count-1, column after column, each
    // grid.rows values from the top row down; under params.smooth, their
    // smooth values, which the scan colours.
    virtual void ComputeColumns(const EscapeParams& params, const ScanGrid& grid, int first,
                                int count, uint32_t* out) = 0;
    // The same colours for the scan, which only reads them: a pointer that
    // stays valid until the next call or EndScan. This one computes them
    // into `buffer`; an engine that holds them already may point at them.
    virtual const uint32_t* Columns(const EscapeParams& params, const ScanGrid& grid, int first,
                                    int count, std::vector<uint32_t>& buffer);
    // A scan opens with BeginScan and, however it ends, closes with EndScan.
    // In between, params and grid stay the same objects and the columns are
    // asked for in order, so an engine may compute the next block ahead;
    // EndScan must drop such work and let go of params and grid.
    virtual void BeginScan() {}
    virtual void EndScan() {}
};

// The plain one-pixel-at-a-time engine on the calling thread.
class ScalarEngine : public EscapeEngine {
  public:
    void ComputeColumns(const EscapeParams& params, const ScanGrid& grid, int first, int count,
                        uint32_t* out) override;
};

// The rectangle of the plane a figure shows.
struct PlaneRect {
    double left, right, bottom, top;
};

// IterationLimit as the surface keeps it (32 bits): a raised budget's limit
// beyond that shows as the largest.
inline int32_t ClampedLimit(int64_t limit) {
    return limit > INT32_MAX ? INT32_MAX : static_cast<int32_t>(limit);
}

// A whole run of a figure of the plane window: clear and begin, set
// IterationLimit to the params' limit, PenWidth to 1 and the plane window to
// rect, scan, and end the run.
void DrawEscapeFigure(Surface& surface, const PlaneRect& rect, const ScanSettings& settings,
                      const EscapeParams& params);

// The scan shared by the escape-time figures: columns 0..ImgWidth, each from
// row 0 down to row ImgHeight, with repaint and message points and the stop
// test at the column boundaries the settings give. The plane window is read
// from the surface (binary decomposition passes its own rectangle).
void EscapeScan(Surface& surface, const ScanSettings& settings, const EscapeParams& params);
void EscapeScan(Surface& surface, const ScanSettings& settings, const EscapeParams& params,
                double left, double right, double bottom, double top);

}  // namespace galleri
