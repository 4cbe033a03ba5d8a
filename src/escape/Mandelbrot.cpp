#include "escape/Mandelbrot.h"

#include "surface/Surface.h"

namespace galleri {

namespace {

constexpr MandelbrotPreset kPresets[kMandelbrotPresets] = {
    {-2.0, 1.2, -1.2, 1.2, 20593},
    {-2.0, 0.5, -1.25, -1.0, 28768},
    {-0.3, -0.2, -0.75, -0.72, 20529},
    {-0.7, -0.45, 0.4, 0.65, 16481},
    {-1.2, -1.0, 0.2, 0.35, 4384},
    {-0.702973, -0.642879, 0.374785, 0.395415, 12322},
    {-0.69106, -0.690906, 0.387103, 0.387228, 36962},
    {-0.793114, -0.723005, 0.037822, 0.140974, 33637},
    {-0.745465, -0.745387, 0.112896, 0.113034, 18549},
    {-0.745464, -0.745388, 0.112967, 0.11303, 26904},
    {-0.691594, -0.690089, 0.386608, 0.387494, 21042},
    {-0.749337, -0.744948, 0.109349, 0.115851, 42363},
    // Right edge left of the left edge: the view is mirrored.
    {-0.7645388, -0.7665464, 0.09303, 0.102967, 53266},
    {-2.0, 1.2, -1.2, 1.2, 24657},
};

}  // namespace

MandelbrotPreset MandelbrotPresetAt(int index) {
    if (index < 0 || index >= kMandelbrotPresets) {
        index = kMandelbrotPresets - 1;
    }
    return kPresets[index];
}

PlaneFigure MandelbrotFigure(int index) {
    const MandelbrotPreset preset = MandelbrotPresetAt(index);
    PlaneFigure figure;
    figure.own = {preset.left, preset.right, preset.bottom, preset.top};
    figure.scan = {PointForm::Accumulated, 0, 10, RepaintOp::Refresh, true};
    figure.params.kind = IterationKind::Mandelbrot;
    figure.params.limit = Surface::MaxColor();
    figure.params.countStep = preset.countStep;
    return figure;
}

void DrawMandelbrot(Surface& surface, int index) {
    const PlaneFigure figure = MandelbrotFigure(index);
    DrawPlaneFigure(surface, figure, figure.own);
}

}  // namespace galleri
