#pragma once

#include <cstdint>
#include <optional>

#include "deep/BigFloat.h"
#include "view/DeepView.h"
#include "view/ViewGeometry.h"

namespace galleri {

// The path of a zoom video from one view to another, frame 0 the first and
// frame N-1 the last, exactly as given.
//
// The width shrinks by the same factor r = (w1 / w0)^(1 / (N-1)) from each
// frame to the next (the height by its own factor, from h0 to h1), and each
// frame's rectangle is the previous one scaled by that factor about one fixed
// point P of the plane:
//
//     edge(t) = P + (edge0 - P) r^t
//
// With edge(N-1) = edge1 this gives P = edge0 + (edge1 - edge0) / (1 - r^(N-1))
// for every edge, so
//
//     edge(t) = edge0 + (edge1 - edge0) (1 - r^t) / (1 - r^(N-1)),
//
// computed as expm1(s ln R) / expm1(ln R) with s = t / (N-1) and R = w1 / w0
// the whole change, so that nothing is lost when R is 1e-1000; without a
// change of size (R = 1) the fraction is s and the view pans at a constant
// speed. P lies at the same place of every picture, and every other point
// of the picture moves on a straight line away from it (towards it when
// zooming out), at a speed that grows with the zoom: the dive looks like a
// straight flight at a constant speed. When the last view lies inside the
// first, P lies inside it too, so each picture holds the next.
class ZoomPath {
  public:
    // `frames` at least 2; the rectangles' axes point the same ways.
    ZoomPath(DeepRect from, DeepRect to, int64_t frames);

    int64_t Frames() const { return frames_; }
    // The rectangle at position t (in frames, between frames too, 0 <= t <=
    // N-1): `from` at 0 and `to` at N-1 exactly, the others at bits enough to
    // tell the pixels of any picture up to 65535 wide apart.
    DeepRect At(double t) const;

    // log2 of how many times the width (height) shrinks from a frame to the
    // next: log2(w0 / w1) / (N-1); negative when the video zooms out.
    double Log2StepX() const { return log2StepX_; }
    double Log2StepY() const { return log2StepY_; }
    // Their mean: the zoom of the picture per frame.
    double Log2Step() const { return (log2StepX_ + log2StepY_) / 2; }

    // Where P lies in every picture of the path, as a picture position
    // (ViewGeometry's units) in a picture of `frame`'s size; none when the
    // width or the height does not change (no point stays put).
    std::optional<PicturePoint> FixedPoint(const ViewFrame& frame) const;

  private:
    // (1 - r^t) / (1 - r^(N-1)) of an axis whose whole change is e^logRatio.
    BigFloat Fraction(const BigFloat& s, const BigFloat& logRatio, const BigFloat& whole) const;

    DeepRect from_, to_;
    int64_t frames_;
    long bits_;
    BigFloat logRatioX_, logRatioY_;  // ln(w1 / w0), ln(h1 / h0)
    BigFloat wholeX_, wholeY_;        // expm1 of them: r^(N-1) - 1
    double log2StepX_, log2StepY_;
};

// The levels of a zoom of log2Step a frame: how many doublings of the zoom
// (halvings, zooming out) lie between the first frame and position t
// (counted a hair above t, so that a level's start lies in it whatever the
// rounding), and the position where a level begins.
int64_t ZoomLevel(double t, double log2Step);
double ZoomLevelStart(int64_t level, double log2Step);

}  // namespace galleri
