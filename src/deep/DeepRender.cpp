#include "deep/DeepRender.h"

#include <algorithm>
#include <vector>

#include "surface/Errors.h"

namespace galleri {

DeepPicture MakeDeepPicture(const PlaneFigure& figure, const DeepRect& view, int width,
                            int height) {
    DeepPicture picture;
    picture.params = figure.params;
    picture.budget = Budget(figure.params);
    picture.left = view.left;
    picture.right = view.right;
    picture.bottom = view.bottom;
    picture.top = view.top;
    picture.width = width;
    picture.height = height;
    picture.divisorExtra = figure.scan.divisorExtra;
    return picture;
}

bool RenderDeepView(const PlaneFigure& figure, const DeepRect& view, int width, int height,
                    DeepEngine& engine, const std::atomic<bool>& cancel, Bitmap& picture,
                    const ViewPassDone& onPass, const ViewRenderOptions& options) {
    if (width < 0 || height < 0) {
        throw RangeError("picture size");
    }
    // The sizes the figure cannot draw are refused as its scan refuses them.
    MakeScanGrid(view.left.ToDouble(), view.right.ToDouble(), view.bottom.ToDouble(),
                 view.top.ToDouble(), width, height, figure.scan);
    if (width > 65535 || height > 65535) {
        throw RangeError();
    }
    if (picture.Width() != width || picture.Height() != height) {
        picture = Bitmap(width, height);
    }
    if (width == 0 || height == 0) {
        if (onPass) {
            onPass(ViewPass::Exact, picture);
        }
        return true;
    }
    if (!engine.Prepare(MakeDeepPicture(figure, view, width, height), &cancel)) {
        return false;
    }
    const int step = std::clamp(options.coarseStep, 1, 64);
    if (step > 1) {
        std::vector<uint32_t> sample;
        engine.ComputeSample(step, sample);
        if (cancel.load()) {
            return false;
        }
        const int rows = (height + step - 1) / step;
        for (size_t t = 0; t < sample.size(); ++t) {
            const int i = static_cast<int>(t / static_cast<size_t>(rows)) * step;
            const int j = static_cast<int>(t % static_cast<size_t>(rows)) * step;
            for (int y = j; y < std::min(j + step, height); ++y) {
                for (int x = i; x < std::min(i + step, width); ++x) {
                    picture.Set(x, y, sample[t]);
                }
            }
        }
        if (onPass) {
            onPass(ViewPass::Coarse, picture);
        }
    }
    if (!engine.ComputePicture()) {
        return false;
    }
    // The columns as the scan takes them, so the colours are the scan's.
    ScanGrid grid;
    grid.columns = width;
    grid.rows = height;
    std::vector<uint32_t> column(static_cast<size_t>(height));
    for (int i = 0; i < width; ++i) {
        engine.ComputeColumns(figure.params, grid, i, 1, column.data());
        for (int j = 0; j < height; ++j) {
            picture.Set(i, j, column[static_cast<size_t>(j)]);
        }
    }
    if (onPass) {
        onPass(ViewPass::Exact, picture);
    }
    return true;
}

}  // namespace galleri
