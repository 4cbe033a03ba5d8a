#include "surface/Turtle.h"

#include <cmath>

#include "surface/Surface.h"

namespace galleri {

void TurtleForward(Surface& surface) {
    surface.TurtleX =
        surface.TurtleX + surface.TurtleStep * std::cos(surface.TurtleHeading * kRadiansPerDegree);
    surface.TurtleY =
        surface.TurtleY + surface.TurtleStep * std::sin(surface.TurtleHeading * kRadiansPerDegree);
}

void TurtleTurn(Surface& surface, double delta) {
    surface.TurtleHeading = surface.TurtleHeading + delta;
}

double Bearing(double x1, double y1, double x2, double y2) {
    if (x2 - x1 == 0) {
        return y2 > y1 ? 90.0 : 270.0;
    }
    double heading = std::atan((y2 - y1) / (x2 - x1)) * kDegreesPerRadian;
    if (x1 > x2) {
        heading = heading + 180;
    }
    return heading;
}

}  // namespace galleri
