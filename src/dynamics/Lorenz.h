#pragma once

namespace galleri {

class Surface;

// The Lorenz attractor: one fixed trajectory of 8000 Runge-Kutta steps drawn
// as a chain of segments over axes with captions, in projection 0, 1 or 2.
// The curve takes a new colour each time the trajectory crosses y = 0. The
// window is repainted and messages handled every 150 steps, but Escape never
// shortens the figure.
void DrawLorenz(Surface& surface, int index);

// Degrees to radians with the factor 0.0174533, after bringing the angle into
// 0..360 by whole turns.
double DegreesToRadians(double degrees);

// True when a value that was `previous` and is now `current` has crossed or
// left zero: it is strictly on one side now and was on the other side or at
// zero. Arriving at zero is no crossing.
bool CrossesZero(double current, double previous);

}  // namespace galleri
