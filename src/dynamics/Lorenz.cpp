#include "dynamics/Lorenz.h"

#include <cmath>
#include <cstdint>

#include "surface/Checked.h"
#include "surface/Pen.h"
#include "surface/Surface.h"

namespace galleri {

namespace {

constexpr int kSteps = 8000;
constexpr int kMessageInterval = 150;
constexpr double kTimeStep = 0.01;
// The Runge-Kutta sum is divided by 3 through this nine-digit weight; the
// trajectory is chaotic, so it is kept exactly.
constexpr double kWeight = 0.333333333;
constexpr int16_t kFirstColour = 4;
constexpr int16_t kColourStep = 255;

struct State {
    double x;
    double y;
    double z;
};

State Plus(const State& a, const State& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

// The Lorenz field (sigma 10, rho 28, beta 8/3) times s, s applied last.
State Field(double s, const State& p) {
    return {((p.y - p.x) * 10.0) * s, ((((0.0 - p.x) * p.z) + (p.x * 28.0)) - p.y) * s,
            ((p.x * p.y) - ((p.z * 8.0) / 3.0)) * s};
}

// One step: k1, k2 and k4 carry half the time step and k3 the whole one, and
// the sum k1 + 2 k2 + k3 + k4 is weighted by a third.
State RungeKuttaStep(const State& p) {
    const double halfStep = kTimeStep / 2.0;
    const State k1 = Field(halfStep, p);
    const State k2 = Field(halfStep, Plus(p, k1));
    const State k3 = Field(kTimeStep, Plus(p, k2));
    const State k4 = Field(halfStep, Plus(p, k3));
    const auto advance = [](double c, double a, double b, double d, double e) {
        return c + ((((a + b) + b) + d) + e) * kWeight;
    };
    return {advance(p.x, k1.x, k2.x, k3.x, k4.x), advance(p.y, k1.y, k2.y, k3.y, k4.y),
            advance(p.z, k1.z, k2.z, k3.z, k4.z)};
}

int16_t Round16(double v) {
    return ToI16(RoundToI32(v));
}

int16_t Below(int32_t v, int16_t hh) {
    return ToI16(int64_t{v} - hh);
}

// Directions of the x, y and z axes in the oblique projection.
struct Directions {
    double cosX, cosY, cosZ;
    double sinX, sinY, sinZ;
};

struct Point {
    int16_t x;
    int16_t y;
};

Point Project(int preset, const State& p, const Directions& d, int16_t hh) {
    switch (preset) {
        case 1:
            return {Round16(p.y * 10.0), Round16(p.x * 10.0)};
        case 2:
            return {
                Round16((((p.x * d.cosX) + (p.y * d.cosY)) + (p.z * d.cosZ)) * 8.0),
                Below(RoundToI32((((p.x * d.sinX) + (p.y * d.sinY)) + (p.z * d.sinZ)) * 7.0), hh)};
        default:
            return {Round16(p.y * 9.0), Below(RoundToI32(p.z * 9.0), hh)};
    }
}

void DrawAxes(Surface& surface, int preset, int32_t hw, int32_t hh) {
    const int32_t bottom = -(hh - 1);
    if (preset == 1) {
        DrawLine(surface, -hw, 0, hw - 1, 0, 0);
        DrawLine(surface, 0, bottom, 0, hh, 0);
        TextAt(surface, hw - 20, 20, "Y");
        TextAt(surface, 0, (hh - 1) + 20, "X");
        return;
    }
    DrawLine(surface, -hw, bottom, hw - 1, bottom, 0);
    DrawLine(surface, 0, bottom, 0, hh, 0);
    if (preset == 2) {
        DrawLine(surface, 0, bottom, hw - 1, 82, 0);
    }
    TextAt(surface, hw - 20, bottom + 20, "Y");
    TextAt(surface, 0, (hh - 1) + 20, "Z");
    if (preset == 2) {
        TextAt(surface, hw - 20, 102, "X");
    }
}

}  // namespace

double DegreesToRadians(double degrees) {
    while (degrees >= 360.0) {
        degrees -= 360.0;
    }
    while (degrees < 0.0) {
        degrees += 360.0;
    }
    return degrees * 0.0174533;
}

bool CrossesZero(double current, double previous) {
    return (current < 0.0 && previous >= 0.0) || (current > 0.0 && previous <= 0.0);
}

void DrawLorenz(Surface& surface, int index) {
    // The menu passes 0, 1 or 2; anything else is drawn like 0.
    const int preset = (index == 1 || index == 2) ? index : 0;
    surface.ClearAndBegin();

    const double ax = DegreesToRadians(45.0);
    const double ay = DegreesToRadians(0.0);
    const double az = DegreesToRadians(90.0);
    const Directions directions{std::cos(ax), std::cos(ay), std::cos(az),
                                std::sin(ax), std::sin(ay), std::sin(az)};

    const int16_t hw = ToI16(surface.ImgWidth() / 2);
    const int16_t hh = ToI16(surface.ImgHeight() / 2);

    int16_t colour = kFirstColour;
    surface.PenWidth = 2;
    State state{0.0, 1.0, 0.0};

    // The starting state through projection 1 for preset 1, through
    // projection 0 for the others.
    Point previous = preset == 1 ? Point{10, 0} : Point{9, ToI16(-int32_t{hh})};
    DrawAxes(surface, preset, hw, hh);

    surface.PenWidth = 1;
    for (int i = 0; i < kSteps; ++i) {
        const double y0 = state.y;
        state = RungeKuttaStep(state);
        Point point{};
        if (preset == 2) {
            if (CrossesZero(state.y, y0)) {
                colour = ToI16(int32_t{colour} + kColourStep);
            }
            point = Project(preset, state, directions, hh);
        } else {
            point = Project(preset, state, directions, hh);
            if (CrossesZero(point.x, previous.x)) {
                colour = ToI16(int32_t{colour} + kColourStep);
            }
        }
        // The colour only grows from 4, so it is never negative.
        DrawLine(surface, previous.x, previous.y, point.x, point.y, static_cast<uint32_t>(colour));
        previous = point;
        if (i % kMessageInterval == 0) {
            surface.Update();
            surface.ProcessMessages();
        }
    }
    surface.EndRender();
}

}  // namespace galleri
