#pragma once

#include <array>
#include <cstdint>

namespace galleri {

class Surface;

// "faraos bröstplatta": a strip of circles in 20 columns inverted in a circle
// about (0, -220) into the crescent between a big circle (centre (0, 0),
// radius 220) and a small one (centre (0, 80), radius 140), mirrored to the
// left, every pattern circle in a random colour.
void DrawBreastplate(Surface& surface);

// The pattern circle with centre (x, y) and radius r, then its mirror image
// about the vertical axis, each inverted in a fresh random colour.
void InvertedCirclePair(Surface& surface, double x, double y, double r);

// The image of the circle with centre (a, b) and radius r under the inversion
// (reflected in the horizontal axis), set point by point with Plot. Draws one
// ring per unit of PenWidth, radii r - PenWidth / 2 upwards; nothing when
// PenWidth is below 1.
void InvertedCircle(Surface& surface, double a, double b, double r, uint32_t colour);

// Logical point that the inversion (reflected) maps (px, py) to, rounded.
struct LogicalPoint {
    int32_t x;
    int32_t y;
    bool operator==(const LogicalPoint&) const = default;
};
LogicalPoint InvertedPoint(double px, double py);

// The 13 circles of column i of the strip's pattern, in drawing order.
struct PatternCircle {
    double x;
    double y;
    double r;
};
std::array<PatternCircle, 13> BreastplateColumn(int32_t i);

}  // namespace galleri
