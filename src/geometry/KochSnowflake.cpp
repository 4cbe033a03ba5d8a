#include "geometry/KochSnowflake.h"

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

constexpr uint32_t kKochColour = 15;
constexpr int32_t kGenerations = 5;

// The start triangle, walked clockwise so that the left of every side is
// outside.
struct Side {
    int32_t x1, y1, x2, y2;
};
constexpr std::array<Side, 3> kTriangle = {{
    {-150, -75, 0, 185},
    {0, 185, 150, -75},
    {150, -75, -150, -75},
}};

Point TurtleAt(const Surface& s) {
    return {s.TurtleX, s.TurtleY};
}

}  // namespace

void KochSide(Surface& surface, double x1, double y1, double x2, double y2, int32_t depth,
              const SegmentSink& draw) {
    const int32_t d = CheckedSub(depth, 1);
    surface.TurtleStep = std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1)) / 3;
    surface.TurtleHeading = Bearing(x1, y1, x2, y2);
    surface.TurtleX = x1;
    surface.TurtleY = y1;
    // Each point is copied out of the turtle before the recursion moves it.
    std::array<Point, 5> p;
    p[0] = {x1, y1};
    p[4] = {x2, y2};
    TurtleForward(surface);
    p[1] = TurtleAt(surface);
    TurtleTurn(surface, 60);
    TurtleForward(surface);
    p[2] = TurtleAt(surface);
    TurtleTurn(surface, -120);
    TurtleForward(surface);
    p[3] = TurtleAt(surface);

    for (std::size_t i = 0; i < 4; ++i) {
        if (d > 0) {
            KochSide(surface, p[i].x, p[i].y, p[i + 1].x, p[i + 1].y, d, draw);
        } else {
            draw(RoundToI32(p[i].x), RoundToI32(p[i].y), RoundToI32(p[i + 1].x),
                 RoundToI32(p[i + 1].y), kKochColour);
        }
    }
}

void DrawKochSnowflake(Surface& surface, const SegmentSink& draw) {
    surface.ClearAndBegin();
    surface.PenWidth = 2;
    for (int32_t g = 1; g <= kGenerations; ++g) {
        for (const Side& side : kTriangle) {
            KochSide(surface, side.x1, side.y1, side.x2, side.y2, g, draw);
        }
    }
    surface.EndRender();
}

void DrawKochSnowflake(Surface& surface) {
    DrawKochSnowflake(surface, PenLines(surface));
}

}  // namespace galleri
