#include "commands/Descriptions.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "commands/Commands.h"

namespace galleri {

namespace {

std::string Number(double x) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", x);
    return buffer;
}

std::string Complex(double re, double im) {
    return Number(re) + (im < 0 || std::signbit(im) ? " - " : " + ") + Number(std::fabs(im)) + "i";
}

std::string Budget(const PlaneFigure& figure) {
    return std::to_string(galleri::Budget(figure.params)) + " iterations";
}

std::string Rectangle(const PlaneRect& r) {
    return "re " + Number(r.left) + " to " + Number(r.right) + ", im " + Number(r.bottom) + " to " +
           Number(r.top);
}

// The critical orbit, followed well past the figures' own budgets.
bool CriticalOrbitEscapes(const EscapeParams& p) {
    const bool dragon = p.kind == IterationKind::JuliaDragon;
    double zr = dragon ? 0.5 : 0.0, zi = 0.0;
    for (int n = 0; n < 100000; ++n) {
        if (zr * zr + zi * zi > 1e12) {
            return true;
        }
        if (dragon) {
            // lambda z (1 - z)
            const double ur = 1 - zr, ui = -zi;
            const double vr = zr * ur - zi * ui, vi = zr * ui + zi * ur;
            zr = p.cx * vr - p.cy * vi;
            zi = p.cx * vi + p.cy * vr;
        } else {
            const double nr = zr * zr - zi * zi + p.cx;
            zi = 2 * zr * zi + p.cy;
            zr = nr;
        }
    }
    return false;
}

std::string DescribePlane(const PlaneFigure& f) {
    const EscapeParams& p = f.params;
    switch (p.kind) {
        case IterationKind::Mandelbrot:
            return "Mandelbrot set of z² + c, " + Rectangle(f.own) + "; " + Budget(f);
        case IterationKind::Julia:
            return "Julia set of z² + c, c = " + Complex(p.cx, p.cy) + "; " + Budget(f);
        case IterationKind::BinaryDecomposition:
            return "Binary decomposition of the Julia set of z² + c, c = " + Complex(p.cx, p.cy) +
                   ": black or white by the sign of the last iterate's imaginary part";
        case IterationKind::JuliaDragon:
            return "Julia set of the dragon map λz(1 − z), λ = " + Complex(p.cx, p.cy) + "; " +
                   Budget(f);
        case IterationKind::MandelDragon:
            return "Parameter plane of the dragon map λz(1 − z), z from 1/2; " + Budget(f);
        case IterationKind::MandelPhoenix:
            return "Phoenix map z² + p + q·z₋₁ over the plane of (p, q); " + Budget(f);
    }
    return {};
}

struct Fixed {
    const char* caption;
    const char* text;
};

// The figures that are not of the plane.
constexpr Fixed kFixed[] = {
    {"lorenz_1", "The Lorenz attractor, 8000 Runge-Kutta steps, y across and z up"},
    {"lorenz_2", "The Lorenz attractor, y across and x up, axes through the centre"},
    {"lorenz_3", "The Lorenz attractor in an oblique projection of x, y and z"},
    {"strange_1", "A sine-map strange attractor, 50000 iterates seen along its z axis"},
    {"strange_2", "A sine-map strange attractor, 50000 iterates seen along its x axis"},
    {"bifurcation_1", "Bifurcation diagram of the logistic map rx(1 − x), r from 0.95, x/r up"},
    {"bifurcation_2", "Bifurcation diagram of the logistic map, close-up from r = 3.55, x up"},
    {"bifurcation_3", "Bifurcation diagram of the logistic map, r from 0.95, x up"},
    {"bifurcation_4", "Bifurcation diagram of the logistic map, close-up from r = 3.55, x/r up"},
    {"snowflake", "The Koch snowflake"},
    {"snowflake13", "A snowflake curve whose every side is thirteen smaller segments"},
    {"sierpinski triangle", "The Sierpinski triangle drawn by the chaos game"},
    {"träd", "A branching tree (\"träd\": tree)"},
    {"faraos bröstplatta",
     "A circle-inversion pattern (\"faraos bröstplatta\": Pharaoh's breastplate)"},
    {"spara bild", "Save the picture as JPEG, PNG or bitmap (\"spara bild\": save picture)"},
};

}  // namespace

bool JuliaSetIsDust(const Command& command) {
    const std::optional<PlaneFigure> plane = command.Plane();
    if (!plane) {
        return false;
    }
    const IterationKind kind = plane->params.kind;
    return (kind == IterationKind::Julia || kind == IterationKind::JuliaDragon) &&
           CriticalOrbitEscapes(plane->params);
}

std::string Describe(const Command& command) {
    if (const std::optional<PlaneFigure> plane = command.Plane()) {
        std::string text = DescribePlane(*plane);
        if (JuliaSetIsDust(command)) {
            text += "; dust: no point of it stays bounded";
        }
        return text;
    }
    for (const Fixed& f : kFixed) {
        if (std::strcmp(f.caption, command.caption) == 0) {
            return f.text;
        }
    }
    return {};
}

}  // namespace galleri
