#include "render/DrawStill.h"

#include <optional>

#include "commands/Commands.h"
#include "escape/FastEngine.h"
#include "escape/SmoothColouring.h"
#include "surface/Surface.h"
#include "view/ColouringText.h"
#include "view/ViewText.h"

namespace galleri {

void ChooseEngine(Surface& surface, const RenderRequest& request, ScalarEngine& scalar) {
    if (request.scalarEngine) {
        surface.SetEngine(&scalar);
    } else if (request.threads > 0) {
        DefaultFastEngine().SetThreads(request.threads);
    }
}

void DrawStill(Surface& surface, const RenderRequest& request, const std::atomic<bool>* cancel) {
    const Command& figure = *request.figure;
    std::optional<SmoothColouring> smooth;
    if (request.colouring.smooth) {
        smooth.emplace(request.paletteStops, request.colouring.density, request.colouring.offset);
    }
    const SmoothColouring* colouring = smooth ? &*smooth : nullptr;
    if (request.colouring.supersample > 1) {
        // Drawn apart from the surface's scan, by strips of samples.
        surface.Picture() = DrawFigureSupersampled(
            figure, request.view, request.deepView, request.iterations, colouring,
            request.colouring.supersample, request.width, request.height,
            surface.Engine() ? *surface.Engine() : DefaultFastEngine(), request.threads);
    } else if (request.deepView) {
        RunFigureDeepView(surface, figure, *request.deepView, request.iterations, request.threads,
                          nullptr, cancel, colouring);
    } else if (request.view || request.iterations || colouring) {
        RunFigureView(surface, figure, request.view ? *request.view : figure.Plane()->own,
                      request.iterations, colouring);
    } else {
        RunFigure(surface, figure);
    }
}

std::string PictureText(const RenderRequest& request) {
    const Command& figure = *request.figure;
    const std::optional<PlaneFigure> plane = figure.Plane();
    std::string view;
    if (request.deepView) {
        view = FormatDeepView(*request.deepView);
    } else if (request.view && plane && !SameRect(*request.view, plane->own)) {
        view = FormatView(*request.view);
    }
    const int64_t own = plane ? Budget(plane->params) : 0;
    return RenderArguments(figure.item, request.width, request.height, view,
                           request.iterations.value_or(own), own,
                           ColouringArguments(request.colouring));
}

}  // namespace galleri
