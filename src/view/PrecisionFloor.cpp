#include "view/PrecisionFloor.h"

#include <cmath>
#include <vector>

namespace galleri {

namespace {

bool Finite(const PlaneRect& r) {
    return std::isfinite(r.left) && std::isfinite(r.right) && std::isfinite(r.bottom) &&
           std::isfinite(r.top);
}

// Whether the first `count` values are finite and each differs from the next.
bool Distinct(const std::vector<double>& values, int count, bool& finite) {
    for (int k = 0; k < count; ++k) {
        if (!std::isfinite(values[k])) {
            finite = false;
            return false;
        }
        if (k > 0 && values[k] == values[k - 1]) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::string> ViewRefusal(const PlaneRect& view, int width, int height,
                                       const ScanSettings& scan) {
    const std::string prefix = "cannot zoom further: ";
    const std::string tooLarge = prefix + "the view's numbers leave the range of a double";
    if (width <= 0 || height <= 0) {
        return "the picture is empty";
    }
    if (!Finite(view)) {
        return tooLarge;
    }
    if (view.left == view.right || view.bottom == view.top) {
        return prefix + "the view has no width or no height";
    }
    // Only the visible pixels count: column ImgWidth and row ImgHeight are
    // computed but never shown.
    const ScanGrid grid =
        MakeScanGrid(view.left, view.right, view.bottom, view.top, width, height, scan);
    bool finite = true;
    const bool columns = Distinct(grid.columnRe, width, finite);
    const bool rows = finite && Distinct(grid.rowIm, height, finite);
    if (!finite) {
        return tooLarge;
    }
    if (!columns || !rows) {
        return prefix + "neighbouring " + (columns ? "rows" : "columns") +
               " would show the same point (a double has 53 bits)";
    }
    return std::nullopt;
}

}  // namespace galleri
