#include "view/ViewGeometry.h"

#include <algorithm>
#include <cmath>

namespace galleri {

namespace {

double StepX(const PlaneRect& view, const ViewFrame& frame) {
    return (view.right - view.left) / static_cast<double>(frame.width + frame.divisorExtra);
}

double StepY(const PlaneRect& view, const ViewFrame& frame) {
    return (view.top - view.bottom) / static_cast<double>(frame.height + frame.divisorExtra);
}

}  // namespace

PlanePoint PictureToPlane(const PlaneRect& view, const ViewFrame& frame, PicturePoint p) {
    // The direct form of the scan: at whole positions these are its points.
    return {view.left + (p.x * StepX(view, frame)), view.top - (p.y * StepY(view, frame))};
}

PicturePoint PlaneToPicture(const PlaneRect& view, const ViewFrame& frame, PlanePoint z) {
    return {(z.re - view.left) / StepX(view, frame), (view.top - z.im) / StepY(view, frame)};
}

PicturePoint PictureCentre(const ViewFrame& frame) {
    return {frame.width / 2.0, frame.height / 2.0};
}

PlaneRect ZoomAbout(const PlaneRect& view, const ViewFrame& frame, PicturePoint p, double factor) {
    const PlanePoint fixed = PictureToPlane(view, frame, p);
    // Each edge moves towards the fixed point by its own distance, so the
    // fixed point keeps its share of the width and of the height.
    return {fixed.re - (fixed.re - view.left) / factor, fixed.re + (view.right - fixed.re) / factor,
            fixed.im - (fixed.im - view.bottom) / factor,
            fixed.im + (view.top - fixed.im) / factor};
}

double WheelZoomFactor(int angleDelta) {
    return std::exp2(static_cast<double>(angleDelta) / 240.0);
}

PlaneRect PanByPixels(const PlaneRect& view, const ViewFrame& frame, double dxPixels,
                      double dyPixels) {
    const double shiftRe = dxPixels * StepX(view, frame);
    const double shiftIm = dyPixels * StepY(view, frame);
    return {view.left - shiftRe, view.right - shiftRe, view.bottom + shiftIm, view.top + shiftIm};
}

PlaneRect PanByEighths(const PlaneRect& view, int right, int up) {
    const double shiftRe = right * ((view.right - view.left) / 8.0);
    const double shiftIm = up * ((view.top - view.bottom) / 8.0);
    return {view.left + shiftRe, view.right + shiftRe, view.bottom + shiftIm, view.top + shiftIm};
}

PlaneRect DragView(const PlaneRect& view, const ViewFrame& frame, PicturePoint a, PicturePoint b) {
    if (frame.width <= 0 || frame.height <= 0) {
        return view;
    }
    const double x0 = std::min(a.x, b.x);
    const double x1 = std::max(a.x, b.x);
    const double y0 = std::min(a.y, b.y);
    const double y1 = std::max(a.y, b.y);
    // The dragged span fills the picture's width, so the rectangle's far edge
    // lies `extra` pixels beyond it, as the figure's own does.
    const auto farEdge = [extra = frame.divisorExtra](double from, double to, int size) {
        return extra == 0 ? to : from + (to - from) * (size + extra) / size;
    };
    const double farX = farEdge(x0, x1, frame.width);
    const double farY = farEdge(y0, y1, frame.height);
    const PlanePoint topLeft = PictureToPlane(view, frame, {x0, y0});
    const PlanePoint bottomRight = PictureToPlane(view, frame, {farX, farY});
    return {topLeft.re, bottomRight.re, bottomRight.im, topLeft.im};
}

std::pair<PicturePoint, PicturePoint> BandWithAspect(const ViewFrame& frame, PicturePoint a,
                                                     PicturePoint b) {
    const double w = std::abs(b.x - a.x);
    const double h = std::abs(b.y - a.y);
    if ((w == 0 && h == 0) || frame.width <= 0 || frame.height <= 0) {
        return {a, b};
    }
    const double aspect = static_cast<double>(frame.width) / frame.height;
    const double width = std::max(w, h * aspect);
    const double height = std::max(h, w / aspect);
    const double cx = (a.x + b.x) / 2;
    const double cy = (a.y + b.y) / 2;
    return {{cx - width / 2, cy - height / 2}, {cx + width / 2, cy + height / 2}};
}

PlaneRect SquarePixels(const PlaneRect& view, const ViewFrame& frame) {
    const double w = frame.width + frame.divisorExtra;
    const double h = frame.height + frame.divisorExtra;
    const double dx = (view.right - view.left) / w;
    const double dy = (view.top - view.bottom) / h;
    const double side = std::sqrt(std::abs(dx)) * std::sqrt(std::abs(dy));
    const double sx = std::copysign(side, dx);
    const double sy = std::copysign(side, dy);
    const PicturePoint c = PictureCentre(frame);
    const PlanePoint centre = PictureToPlane(view, frame, c);
    const double left = centre.re - c.x * sx;
    const double top = centre.im + c.y * sy;
    return {left, left + sx * w, top - sy * h, top};
}

double ZoomFactor(const PlaneRect& view, const PlaneRect& own) {
    const double fx = std::abs(own.right - own.left) / std::abs(view.right - view.left);
    const double fy = std::abs(own.top - own.bottom) / std::abs(view.top - view.bottom);
    return std::sqrt(fx) * std::sqrt(fy);
}

}  // namespace galleri
