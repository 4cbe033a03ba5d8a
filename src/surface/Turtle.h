#pragma once

namespace galleri {

class Surface;

// The turtle that finds the points of the geometric figures. Its state
// (TurtleX, TurtleY, TurtleStep, TurtleHeading) lives in the Surface; headings
// are in degrees, counter-clockwise from the positive x axis, never wrapped.

// The conversion constants are these decimals as they stand, not 180/pi and
// pi/180: the figures' points depend on them.
inline constexpr double kDegreesPerRadian = 57.295779;
inline constexpr double kRadiansPerDegree = 0.017453292;

// Moves the turtle one TurtleStep along TurtleHeading.
void TurtleForward(Surface& surface);
// TurtleHeading := TurtleHeading + delta.
void TurtleTurn(Surface& surface, double delta);
// Heading in degrees from (x1, y1) towards (x2, y2), between -90 and 270;
// straight down (and a point to itself) is 270.
double Bearing(double x1, double y1, double x2, double y2);

}  // namespace galleri
