#pragma once

#include <optional>
#include <string>
#include <utility>

#include "escape/EscapeScan.h"
#include "view/DeepView.h"
#include "view/ViewGeometry.h"

namespace galleri {

// A view an explorer shows: doubles while a double draws it, and in
// arbitrary precision below that floor. Gestures on a view of doubles are
// the double arithmetic of ViewGeometry, so every view above the floor is
// the one it always was.
struct ExploreView {
    PlaneRect plane{};             // the view, or its edges rounded to doubles
    std::optional<DeepRect> deep;  // the view itself, below the floor

    ExploreView() = default;
    ExploreView(const PlaneRect& view) : plane(view) {}  // NOLINT: a view of doubles is one
    explicit ExploreView(DeepRect view);

    bool Deep() const { return deep.has_value(); }
    // The view in arbitrary precision, whichever it is.
    DeepRect Exact() const;
};

bool SameView(const ExploreView& a, const ExploreView& b);

// The same gestures as ViewGeometry's, in arbitrary precision: each result
// at the bits its shape needs (ShapeBits), so a view's text stays as short
// as its depth allows. Positions and factors are the same doubles.
DeepRect DeepZoomAbout(const DeepRect& view, const ViewFrame& frame, PicturePoint p, double factor);
DeepRect DeepPanByPixels(const DeepRect& view, const ViewFrame& frame, double dxPixels,
                         double dyPixels);
DeepRect DeepPanByEighths(const DeepRect& view, int right, int up);
DeepRect DeepDragView(const DeepRect& view, const ViewFrame& frame, PicturePoint a, PicturePoint b);
DeepRect DeepSquarePixels(const DeepRect& view, const ViewFrame& frame);

// The view with every edge at the bits its shape needs, and exactly the one
// its own text reads back as, so that galleri-render, given the text, draws
// this very view. A view that cannot be drawn is returned as it is.
DeepRect Settled(DeepRect view);

// Whether a deep view can be drawn at all: every edge finite, a width and a
// height, and no more bits than a view may have. Returns why not.
std::optional<std::string> DeepViewRefusal(const DeepRect& view);

// The point under picture position p, in arbitrary precision.
std::pair<BigFloat, BigFloat> DeepPictureToPlane(const DeepRect& view, const ViewFrame& frame,
                                                 PicturePoint p);

// Where the picture of view `shown` lies in the picture of view `target`:
// the positions of its top-left and bottom-right corners (not finite when
// it lies too far off to say).
std::pair<PicturePoint, PicturePoint> PlaceIn(const ExploreView& shown, const ExploreView& target,
                                              const ViewFrame& frame);

// How far a view is zoomed against the figure's own rectangle, as FormatZoom
// writes it ("x 3.2e+247" below the floor), at any depth.
std::string ZoomText(const ExploreView& view, const PlaneRect& own);

}  // namespace galleri

namespace galleri {

// The plane point under picture position p for a status line, with as many
// digits as the view's depth needs to tell neighbouring pixels apart:
// "-0.7436439 + 0.1318259i".
std::string FormatPlanePoint(const ExploreView& view, const ViewFrame& frame, PicturePoint p);

}  // namespace galleri
