#pragma once

#include <utility>

#include "escape/EscapeScan.h"

namespace galleri {

// The arithmetic of exploring a figure of the plane: where a picture
// position lies in the plane, and the views that zooming, panning and
// dragging make. Plain functions of doubles, no toolkit.
//
// Picture positions are continuous: x to the right, y downwards, in picture
// pixels, and the position (i, j) is the point the scan computes for pixel
// (i, j). A window passes its cursor position in picture pixels (a cursor
// may lie between pixels).

// The picture a view is drawn into: its size and the figure's divisor
// extra (mandeldragon divides its rectangle by one more than the size).
struct ViewFrame {
    int width = 0;
    int height = 0;
    int divisorExtra = 0;
};

struct PicturePoint {
    double x = 0;
    double y = 0;
};

struct PlanePoint {
    double re = 0;
    double im = 0;
};

// The point the scan gives picture position p:
// (left + x*dx, top - y*dy), dx = (right - left) / (width + extra), dy likewise.
PlanePoint PictureToPlane(const PlaneRect& view, const ViewFrame& frame, PicturePoint p);
// The picture position of a plane point (the inverse, up to rounding).
PicturePoint PlaneToPicture(const PlaneRect& view, const ViewFrame& frame, PlanePoint z);

// The picture's centre, about which the keys zoom.
PicturePoint PictureCentre(const ViewFrame& frame);

// Zooms by `factor` (> 1 in, < 1 out) about picture position p: the plane
// point under p stays under p.
PlaneRect ZoomAbout(const PlaneRect& view, const ViewFrame& frame, PicturePoint p, double factor);

// The zoom factor of a wheel turn in Qt's angleDelta units (120 a notch):
// 2^(1/2) per notch, finer wheels in proportion; turning away from the user
// (positive) zooms in.
double WheelZoomFactor(int angleDelta);

// Pans so that the plane follows the cursor: what was at position p is now
// at p + (dxPixels, dyPixels).
PlaneRect PanByPixels(const PlaneRect& view, const ViewFrame& frame, double dxPixels,
                      double dyPixels);

// Pans by eighths of the view (the arrow keys): `right` eighths towards the
// picture's right edge, `up` eighths towards its top edge (negative for the
// other way). A mirrored view moves the way its picture shows.
PlaneRect PanByEighths(const PlaneRect& view, int right, int up);

// The view of a rectangle dragged between picture positions a and b, in any
// direction: that rectangle, stretched, becomes the whole picture. The
// picture's left edge still maps to `left` and its top edge to `top`, so a
// mirrored view stays mirrored. A drag without width or height gives a view
// without width or height, which the precision check refuses.
PlaneRect DragView(const PlaneRect& view, const ViewFrame& frame, PicturePoint a, PicturePoint b);

// The rectangle a rubber band from a to b stands for: the smallest one with
// the picture's proportions that holds the dragged one, about its centre, so
// that the view it makes is no more stretched than the view it was made in.
// A band without width and height is left as it is.
std::pair<PicturePoint, PicturePoint> BandWithAspect(const ViewFrame& frame, PicturePoint a,
                                                     PicturePoint b);

// The view about the same centre whose pixels are square: each pixel's side
// the geometric mean of its width and height (so the zoom stays), each axis
// pointing the way it did.
PlaneRect SquarePixels(const PlaneRect& view, const ViewFrame& frame);

// How far a view is zoomed against the figure's own rectangle: the geometric
// mean of the horizontal and the vertical factor (1 at the own rectangle, 2
// after zooming in 2x; a stretched drag counts by its area).
double ZoomFactor(const PlaneRect& view, const PlaneRect& own);

}  // namespace galleri
