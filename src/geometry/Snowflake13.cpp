#include "geometry/Snowflake13.h"

#include <array>
#include <cmath>

#include "surface/Checked.h"
#include "surface/Surface.h"
#include "surface/Turtle.h"

namespace galleri {

namespace {

struct Point {
    double x;
    double y;
};

constexpr uint32_t kSnowflake13Colour = 240;
constexpr int32_t kGenerations = 3;
constexpr int kSegments = 13;

// Whether segment i of the generator turns its bumps to the other side.
constexpr std::array<int32_t, kSegments> kFlip = {1, 0, 0, 0, 0, 1, 1, 1, 0, 0, 1, 1, 0};

// Aims the turtle from `from` towards `to` with a third of their distance as
// its step.
void AimThirds(Surface& surface, Point from, Point to) {
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    surface.TurtleStep = std::sqrt(dx * dx + dy * dy) / 3;
    surface.TurtleHeading = Bearing(from.x, from.y, to.x, to.y);
    surface.TurtleX = from.x;
    surface.TurtleY = from.y;
}

// Turns by `turn` degrees, moves one step and returns where the turtle is.
Point TurnAndStep(Surface& surface, double turn) {
    if (turn != 0) {
        TurtleTurn(surface, turn);
    }
    TurtleForward(surface);
    return {surface.TurtleX, surface.TurtleY};
}

}  // namespace

void Snowflake13Side(Surface& surface, double x1, double y1, double x2, double y2, int32_t depth,
                     int32_t flip, int32_t s, const SegmentSink& draw) {
    if (flip == 1) {
        s = -s;
    }
    const int32_t d = CheckedSub(depth, 1);
    const auto left = static_cast<double>(CheckedMul(60, s));
    const auto right = static_cast<double>(CheckedMul(-60, s));

    std::array<Point, kSegments + 1> p;
    p[0] = {x1, y1};
    p[13] = {x2, y2};
    // The outer bump and the way back to the base; the points come in the
    // order the turtle reaches them, P12 before P11.
    AimThirds(surface, p[0], p[13]);
    p[1] = TurnAndStep(surface, left);
    p[2] = TurnAndStep(surface, 0);
    p[3] = TurnAndStep(surface, right);
    p[4] = TurnAndStep(surface, right);
    p[12] = TurnAndStep(surface, right);
    p[11] = TurnAndStep(surface, right);
    // The small hexagon inside the bump, P10 before P9.
    AimThirds(surface, p[4], p[11]);
    p[5] = TurnAndStep(surface, right);
    p[6] = TurnAndStep(surface, 0);
    p[7] = TurnAndStep(surface, left);
    p[8] = TurnAndStep(surface, left);
    p[10] = TurnAndStep(surface, left);
    p[9] = TurnAndStep(surface, left);

    for (std::size_t i = 0; i < kSegments; ++i) {
        // Depth 1 draws; a depth below 1 draws too rather than recursing
        // without end.
        if (d > 0) {
            Snowflake13Side(surface, p[i].x, p[i].y, p[i + 1].x, p[i + 1].y, d, kFlip[i], s, draw);
        } else {
            draw(RoundToI32(p[i].x), RoundToI32(p[i].y), RoundToI32(p[i + 1].x),
                 RoundToI32(p[i + 1].y), kSnowflake13Colour);
        }
    }
}

void DrawSnowflake13(Surface& surface, const SegmentSink& draw) {
    surface.ClearAndBegin();
    surface.PenWidth = 1;
    for (int32_t g = 1; g <= kGenerations; ++g) {
        Snowflake13Side(surface, -125, 0, 125, 0, g, 0, +1, draw);
    }
    surface.EndRender();
}

void DrawSnowflake13(Surface& surface) {
    DrawSnowflake13(surface, PenLines(surface));
}

}  // namespace galleri
