#include "geometry/Tree.h"

#include <cmath>

#include "surface/Checked.h"
#include "surface/Surface.h"
#include "surface/Turtle.h"

namespace galleri {

namespace {

constexpr double kBaseX = 0;
constexpr double kBaseY = -235;
constexpr double kBranchLength = 30;
constexpr double kTrunkThickness = 12;
constexpr double kLeftExponent = 1.1;
constexpr double kRightExponent = 0.9;
constexpr double kLeftTurn = 12;
constexpr double kRightTurn = 9;
constexpr int32_t kDepth = 12;
constexpr uint32_t kWoodColour = 6;
// The last three generations.
constexpr uint32_t kTwigColour = 10;
constexpr int32_t kTwigGenerations = 3;

// 2^(-1/exponent), as exp(e * ln 2).
double ThicknessFactor(double exponent) {
    const double e = -1 / exponent;
    return std::exp(e * std::log(2.0));
}

// The pen takes the thickness truncated towards zero; it is a signed byte.
void SetPenThickness(Surface& surface, double thickness) {
    surface.PenWidth = ToI8(TruncToI32(thickness));
}

struct Factors {
    double left;
    double right;
};

// fL and fR, computed once.
const Factors& ThicknessFactors() {
    static const Factors factors{ThicknessFactor(kLeftExponent), ThicknessFactor(kRightExponent)};
    return factors;
}

}  // namespace

void TreeBranch(Surface& surface, double x, double y, double thickness, int32_t depth,
                const SegmentSink& draw) {
    surface.TurtleX = x;
    surface.TurtleY = y;
    surface.TurtleStep = kBranchLength;
    TurtleForward(surface);
    const double nx = surface.TurtleX;
    const double ny = surface.TurtleY;
    SetPenThickness(surface, thickness);
    const int32_t d = CheckedSub(depth, 1);
    draw(TruncToI32(x), TruncToI32(y), TruncToI32(nx), TruncToI32(ny),
         d < kTwigGenerations ? kTwigColour : kWoodColour);
    if (d > 0) {
        const Factors& f = ThicknessFactors();
        // The heading comes from the branch's own ends each time: the left
        // subtree has moved the turtle.
        surface.TurtleHeading = Bearing(x, y, nx, ny);
        TurtleTurn(surface, kLeftTurn);
        TreeBranch(surface, nx, ny, thickness * f.left, d, draw);
        surface.TurtleHeading = Bearing(x, y, nx, ny);
        TurtleTurn(surface, -kRightTurn);
        TreeBranch(surface, nx, ny, thickness * f.right, d, draw);
    }
}

void DrawTree(Surface& surface, const SegmentSink& draw) {
    surface.ClearAndBegin();
    const Factors& f = ThicknessFactors();
    SetPenThickness(surface, kTrunkThickness);
    const double topY = kBaseY + kBranchLength;
    draw(TruncToI32(kBaseX), TruncToI32(kBaseY), TruncToI32(kBaseX), TruncToI32(topY), kWoodColour);
    surface.TurtleHeading = Bearing(kBaseX, kBaseY, kBaseX, topY);
    TurtleTurn(surface, kLeftTurn);
    TreeBranch(surface, kBaseX, topY, kTrunkThickness * f.left, kDepth, draw);
    surface.TurtleHeading = Bearing(kBaseX, kBaseY, kBaseX, topY);
    TurtleTurn(surface, -kRightTurn);
    TreeBranch(surface, kBaseX, topY, kTrunkThickness * f.right, kDepth, draw);
    surface.EndRender();
}

void DrawTree(Surface& surface) {
    DrawTree(surface, PenLines(surface));
}

}  // namespace galleri
