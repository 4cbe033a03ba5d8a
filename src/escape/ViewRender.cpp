#include "escape/ViewRender.h"

#include <algorithm>
#include <vector>

#include "escape/SmoothColouring.h"
#include "escape/Supersample.h"
#include "surface/Errors.h"

namespace galleri {

namespace {

// Pixels the engine computes between two looks at the cancel flag: enough
// that handing a block to the threads costs little, few enough that even
// the heaviest figure gives up within a millisecond or two on the fast
// engine.
constexpr int kBlockPixels = 16384;

// Coarser than this is no picture at all.
constexpr int kMaxCoarseStep = 64;

// Some columns and rows of the view's grid, with where each lies in the
// picture.
struct GridPart {
    ScanGrid grid;
    std::vector<int> columns;
    std::vector<int> rows;

    template <typename KeepColumn, typename KeepRow>
    GridPart(const ScanGrid& full, int width, int height, KeepColumn keepColumn, KeepRow keepRow) {
        for (int i = 0; i < width; ++i) {
            if (keepColumn(i)) {
                columns.push_back(i);
                grid.columnRe.push_back(full.columnRe[i]);
            }
        }
        for (int j = 0; j < height; ++j) {
            if (keepRow(j)) {
                rows.push_back(j);
                grid.rowIm.push_back(full.rowIm[j]);
            }
        }
        grid.columns = static_cast<int>(columns.size());
        grid.rows = static_cast<int>(rows.size());
    }
};

// Computes a part block by block and hands every colour to `put` (under the
// smooth colouring, the colour of the engine's value at the pixel's place);
// false when the cancel flag stopped it before the last block.
template <typename Put>
bool ComputePart(EscapeEngine& engine, const EscapeParams& params, const GridPart& part,
                 const std::atomic<bool>& cancel, std::vector<uint32_t>& colours, Put put) {
    const int rows = part.grid.rows;
    if (rows == 0) {
        return true;
    }
    const int block = std::max(1, kBlockPixels / rows);
    colours.resize(static_cast<size_t>(block) * rows);
    for (int first = 0; first < part.grid.columns; first += block) {
        if (cancel.load(std::memory_order_relaxed)) {
            return false;
        }
        const int count = std::min(block, part.grid.columns - first);
        engine.ComputeColumns(params, part.grid, first, count, colours.data());
        const uint32_t* colour = colours.data();
        for (int c = 0; c < count; ++c) {
            const int i = part.columns[first + c];
            for (int r = 0; r < rows; ++r) {
                const int j = part.rows[r];
                const uint32_t value = *colour++;
                put(i, j, SmoothColouring::Shown(params.smooth, value, i, j));
            }
        }
    }
    return true;
}

}  // namespace

bool RenderView(const PlaneFigure& figure, const PlaneRect& view, int width, int height,
                EscapeEngine& engine, const std::atomic<bool>& cancel, Bitmap& picture,
                const ViewPassDone& onPass, const ViewRenderOptions& options) {
    if (width < 0 || height < 0) {
        throw RangeError("picture size");
    }
    // The scan's own grid (it raises the row table's range error), and the
    // 16-bit pixel coordinates the scan would reach: column ImgWidth and row
    // ImgHeight are computed too.
    const ScanGrid full =
        MakeScanGrid(view.left, view.right, view.bottom, view.top, width, height, figure.scan);
    if (width > 65535 || height > 65535) {
        throw RangeError();
    }
    if (picture.Width() != width || picture.Height() != height) {
        picture = Bitmap(width, height);
    }
    std::vector<uint32_t> colours;
    const auto exact = [&picture](int i, int j, uint32_t colour) { picture.Set(i, j, colour); };

    const int step = std::clamp(options.coarseStep, 1, kMaxCoarseStep);
    const auto coarse = [step](int k) { return k % step == 0; };
    const auto fine = [step](int k) { return k % step != 0; };
    const auto all = [](int) { return true; };
    if (step > 1 && width > 0 && height > 0) {
        const GridPart corners(full, width, height, coarse, coarse);
        const auto fill = [&picture, step](int i, int j, uint32_t colour) {
            for (int y = j; y < j + step; ++y) {
                for (int x = i; x < i + step; ++x) {
                    picture.Set(x, y, colour);
                }
            }
        };
        if (!ComputePart(engine, figure.params, corners, cancel, colours, fill)) {
            return false;
        }
        if (onPass) {
            onPass(ViewPass::Coarse, picture);
        }
    }
    if (options.supersample > 1) {
        // The exact pass with several samples a pixel, over the coarse one.
        if (!RenderSupersampled(engine, figure.params, full, width, height, options.supersample,
                                cancel, picture)) {
            return false;
        }
    } else if (step > 1 && width > 0 && height > 0) {
        // The rest: whole columns between the corners' columns, then the
        // corners' columns between their rows.
        const GridPart between(full, width, height, fine, all);
        const GridPart below(full, width, height, coarse, fine);
        if (!ComputePart(engine, figure.params, between, cancel, colours, exact) ||
            !ComputePart(engine, figure.params, below, cancel, colours, exact)) {
            return false;
        }
    } else {
        const GridPart whole(full, width, height, all, all);
        if (!ComputePart(engine, figure.params, whole, cancel, colours, exact)) {
            return false;
        }
    }
    if (onPass) {
        onPass(ViewPass::Exact, picture);
    }
    return true;
}

}  // namespace galleri
