#include "video/VideoShape.h"

#include <algorithm>

#include "view/ExploreView.h"

namespace galleri {

DeepRect FitToShape(const DeepRect& view, int shownWidth, int shownHeight, int width, int height) {
    const long bits = std::max({view.left.Precision(), view.right.Precision(),
                                view.bottom.Precision(), view.top.Precision()}) +
                      64;
    const auto big = [bits](double v) { return BigFloat(v, bits); };
    // Pixels scaled by the same factor each way, the larger that holds the
    // view: the new picture's side over the old one's, in the old pixels.
    const double scale = std::max(static_cast<double>(shownWidth) / width,
                                  static_cast<double>(shownHeight) / height);
    const BigFloat halfRe =
        (view.right.WithPrecision(bits) - view.left) * big(scale * width / shownWidth / 2);
    const BigFloat halfIm =
        (view.top.WithPrecision(bits) - view.bottom) * big(scale * height / shownHeight / 2);
    const BigFloat midRe = (view.left.WithPrecision(bits) + view.right) * big(0.5);
    const BigFloat midIm = (view.bottom.WithPrecision(bits) + view.top) * big(0.5);
    return Settled({midRe - halfRe, midRe + halfRe, midIm - halfIm, midIm + halfIm});
}

}  // namespace galleri
