#include "deep/DeepRender.h"

#include <algorithm>
#include <vector>

#include "escape/SmoothColouring.h"
#include "escape/Supersample.h"
#include "surface/Errors.h"
#include "view/DeepView.h"

namespace galleri {

namespace {

// The exact pass with n x n samples a pixel: the picture's samples in
// strips of columns, each strip a deep picture of its own whose pixels are
// the samples, (i + (s + 0.5) / n - 0.5) steps of the view from its left
// and as many rows down from its top. False when cancelled.
bool RenderDeepSamples(const PlaneFigure& figure, const DeepRect& view, int width, int height,
                       int n, DeepEngine& engine, const std::atomic<bool>& cancel,
                       Bitmap& picture) {
    const long bits = ShapeBits(view) + 64;
    const int extra = figure.scan.divisorExtra;
    const BigFloat left = view.left.WithPrecision(bits), top = view.top.WithPrecision(bits);
    const BigFloat stepRe = (view.right.WithPrecision(bits) - left) / BigFloat(width + extra, bits);
    const BigFloat stepIm =
        (top - view.bottom.WithPrecision(bits)) / BigFloat(height + extra, bits);
    const BigFloat twice(2.0 * n, bits), samples(n, bits);
    const StripMeans means(figure.params, n);
    const int strip = SampleStripColumns(width, n);
    std::vector<uint32_t> values;
    for (int x0 = 0; x0 < width; x0 += strip) {
        const int columns = std::min(strip, width - x0);
        DeepRect part;
        part.left = left + stepRe * BigFloat(2.0 * n * x0 + 1 - n, bits) / twice;
        part.right = part.left + stepRe * BigFloat(columns * n + extra, bits) / samples;
        part.top = top + stepIm * BigFloat(n - 1, bits) / twice;
        part.bottom = part.top - stepIm * BigFloat(height * n + extra, bits) / samples;
        if (!engine.Prepare(MakeDeepPicture(figure, part, columns * n, height * n), &cancel) ||
            !engine.ComputePicture()) {
            return false;
        }
        ScanGrid grid;
        grid.columns = columns * n;
        grid.rows = height * n;
        values.resize(static_cast<size_t>(grid.columns) * grid.rows);
        engine.ComputeColumns(figure.params, grid, 0, grid.columns, values.data());
        means.Put(values.data(), x0, columns, height, picture);
    }
    return true;
}

}  // namespace

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
                    picture.Set(x, y,
                                SmoothColouring::Shown(figure.params.smooth, sample[t], i, j));
                }
            }
        }
        if (onPass) {
            onPass(ViewPass::Coarse, picture);
        }
    }
    if (options.supersample > 1) {
        if (!RenderDeepSamples(figure, view, width, height, options.supersample, engine, cancel,
                               picture)) {
            return false;
        }
        if (onPass) {
            onPass(ViewPass::Exact, picture);
        }
        return true;
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
            picture.Set(
                i, j,
                SmoothColouring::Shown(figure.params.smooth, column[static_cast<size_t>(j)], i, j));
        }
    }
    if (onPass) {
        onPass(ViewPass::Exact, picture);
    }
    return true;
}

}  // namespace galleri
