#include "commands/Commands.h"

#include <array>
#include <stdexcept>
#include <string>

#include "deep/DeepRender.h"
#include "dynamics/Bifurcation.h"
#include "dynamics/Lorenz.h"
#include "dynamics/StrangeAttractor.h"
#include "escape/BinaryDecomposition.h"
#include "escape/Julia.h"
#include "escape/JuliaDragon.h"
#include "escape/MandelDragon.h"
#include "escape/MandelPhoenix.h"
#include "escape/Mandelbrot.h"
#include "escape/ViewRender.h"
#include "geometry/Breastplate.h"
#include "geometry/KochSnowflake.h"
#include "geometry/Sierpinski.h"
#include "geometry/Snowflake13.h"
#include "geometry/Tree.h"
#include "surface/Errors.h"
#include "surface/Surface.h"
#include "view/PrecisionFloor.h"

namespace galleri {

namespace {

using K = CommandKind;
constexpr auto F = K::Figure;

constexpr std::array kMenus = {
    Menu{"strangeattractor1", "strange attractor"},
    Menu{"mandelbroot1", "mandelbroot"},
    Menu{"mandeldragon1", "dragons"},
    Menu{"julia1", "julia"},
    Menu{"juliadragons1", "juliadragons"},
};

constexpr const char* kStrange = "strangeattractor1";
constexpr const char* kMandel = "mandelbroot1";
constexpr const char* kDragons = "mandeldragon1";
constexpr const char* kJulia = "julia1";
constexpr const char* kJuliaDragons = "juliadragons1";

// Menu order; within a menu, the order of its items.
const std::array kCommands = {
    Command{kStrange, "lorenz_1", "lorenz11", F, DrawLorenz, 0},
    Command{kStrange, "lorenz_2", "lorenz21", F, DrawLorenz, 1},
    Command{kStrange, "lorenz_3", "lorenz31", F, DrawLorenz, 2},
    Command{kStrange, "strange_1", "s11", F, DrawStrangeAttractor, 0},
    Command{kStrange, "strange_2", "s21", F, DrawStrangeAttractor, 1},
    Command{kStrange, "bifurcation_1", "bifurcation11", F, DrawBifurcation, 0},
    Command{kStrange, "bifurcation_2", "bifurcation21", F, DrawBifurcation, 1},
    Command{kStrange, "bifurcation_3", "bifurcation31", F, DrawBifurcation, 2},
    Command{kStrange, "bifurcation_4", "bifurcation41", F, DrawBifurcation, 3},
    Command{kStrange, "snowflake", "snowflake1", F, [](Surface& s, int) { DrawKochSnowflake(s); },
            0},
    Command{kStrange, "snowflake13", "snow131", F, [](Surface& s, int) { DrawSnowflake13(s); }, 0},
    Command{kStrange, "sierpinski triangle", "sierpinskitriangle1", F,
            [](Surface& s, int) { DrawSierpinski(s); }, 0},
    Command{kStrange, "träd", "trd1", F, [](Surface& s, int) { DrawTree(s); }, 0},
    Command{kStrange, "faraos bröstplatta", "faraosbrstplatta1", F,
            [](Surface& s, int) { DrawBreastplate(s); }, 0},
    Command{kStrange, "binary decomposition", "binarydecomposition1", F,
            [](Surface& s, int) { DrawBinaryDecomposition(s); }, 0,
            [](int) { return BinaryDecompositionFigure(); }},

    Command{kMandel, "m_1", "m11", F, DrawMandelbrot, 0, MandelbrotFigure},
    Command{kMandel, "m_2", "m21", F, DrawMandelbrot, 1, MandelbrotFigure},
    Command{kMandel, "m_3", "m31", F, DrawMandelbrot, 2, MandelbrotFigure},
    Command{kMandel, "m_4", "m41", F, DrawMandelbrot, 3, MandelbrotFigure},
    Command{kMandel, "m_5", "m51", F, DrawMandelbrot, 4, MandelbrotFigure},
    Command{kMandel, "m_6", "m61", F, DrawMandelbrot, 5, MandelbrotFigure},
    Command{kMandel, "m_7", "m71", F, DrawMandelbrot, 6, MandelbrotFigure},
    Command{kMandel, "m_8", "m81", F, DrawMandelbrot, 7, MandelbrotFigure},
    Command{kMandel, "m_9", "m91", F, DrawMandelbrot, 8, MandelbrotFigure},
    Command{kMandel, "m_10", "m101", F, DrawMandelbrot, 9, MandelbrotFigure},
    Command{kMandel, "m_11", "m111", F, DrawMandelbrot, 10, MandelbrotFigure},
    Command{kMandel, "m_12", "m121", F, DrawMandelbrot, 11, MandelbrotFigure},
    Command{kMandel, "m_13", "m131", F, DrawMandelbrot, 12, MandelbrotFigure},
    Command{kMandel, "m_14", "m141", F, DrawMandelbrot, 13, MandelbrotFigure},

    Command{kDragons, "mandeldragon", "mandeldragon2", F,
            [](Surface& s, int) { DrawMandelDragon(s); }, 0,
            [](int) { return MandelDragonFigure(); }},
    Command{kDragons, "mandelphoenix", "mandelphoenix1", F,
            [](Surface& s, int) { DrawMandelPhoenix(s); }, 0,
            [](int) { return MandelPhoenixFigure(); }},

    Command{kJulia, "j_1", "j11", F, DrawJulia, 0, JuliaFigure},
    Command{kJulia, "j_2", "j21", F, DrawJulia, 1, JuliaFigure},
    Command{kJulia, "j_3", "j31", F, DrawJulia, 2, JuliaFigure},
    Command{kJulia, "j_4", "j41", F, DrawJulia, 3, JuliaFigure},
    Command{kJulia, "j_5", "j51", F, DrawJulia, 4, JuliaFigure},
    Command{kJulia, "j_6", "j61", F, DrawJulia, 5, JuliaFigure},
    Command{kJulia, "j_7", "j71", F, DrawJulia, 6, JuliaFigure},
    Command{kJulia, "j_8", "j8J81", F, DrawJulia, 7, JuliaFigure},
    Command{kJulia, "j_9", "j91", F, DrawJulia, 8, JuliaFigure},
    Command{kJulia, "j_10", "j101", F, DrawJulia, 9, JuliaFigure},
    Command{kJulia, "j_11", "j111", F, DrawJulia, 10, JuliaFigure},
    Command{kJulia, "j_12", "j121", F, DrawJulia, 11, JuliaFigure},
    Command{kJulia, "j_13", "j131", F, DrawJulia, 12, JuliaFigure},
    Command{kJulia, "j_14", "j141", F, DrawJulia, 13, JuliaFigure},
    Command{kJulia, "j_15", "j151", F, DrawJulia, 14, JuliaFigure},

    // "jd_10" reaches preset 0; "jd_1" to "jd_9" their own numbers.
    Command{kJuliaDragons, "jd_1", "jd11", F, DrawJuliaDragon, 1, JuliaDragonFigure},
    Command{kJuliaDragons, "jd_2", "jd21", F, DrawJuliaDragon, 2, JuliaDragonFigure},
    Command{kJuliaDragons, "jd_3", "jd31", F, DrawJuliaDragon, 3, JuliaDragonFigure},
    Command{kJuliaDragons, "jd_4", "jd41", F, DrawJuliaDragon, 4, JuliaDragonFigure},
    Command{kJuliaDragons, "jd_5", "jd51", F, DrawJuliaDragon, 5, JuliaDragonFigure},
    Command{kJuliaDragons, "jd_6", "jd61", F, DrawJuliaDragon, 6, JuliaDragonFigure},
    Command{kJuliaDragons, "jd_7", "jd71", F, DrawJuliaDragon, 7, JuliaDragonFigure},
    Command{kJuliaDragons, "jd_8", "jd81", F, DrawJuliaDragon, 8, JuliaDragonFigure},
    Command{kJuliaDragons, "jd_9", "jd91", F, DrawJuliaDragon, 9, JuliaDragonFigure},
    Command{kJuliaDragons, "jd_10", "jd101", F, DrawJuliaDragon, 0, JuliaDragonFigure},

    Command{nullptr, "spara bild", "sparabild1", K::SavePicture, nullptr, 0},
};

}  // namespace

std::span<const Menu> Menus() {
    return kMenus;
}
std::span<const Command> Commands() {
    return kCommands;
}

const Command* FindCommand(std::string_view name) {
    for (const Command& c : kCommands) {
        if (name == c.item || name == c.caption) {
            return &c;
        }
    }
    return nullptr;
}

namespace {

// Runs a drawing; an error leaves the renderer before its EndRender: give
// the window back all the same.
template <typename Draw>
void ClosingRun(Surface& surface, Draw draw) {
    try {
        draw();
    } catch (...) {
        if (surface.RunOpen()) {
            surface.EndRender();
        }
        throw;
    }
}

}  // namespace

void RunFigure(Surface& surface, const Command& command) {
    if (command.draw == nullptr) {
        return;
    }
    ClosingRun(surface, [&] { command.draw(surface, command.preset); });
}

namespace {

PlaneFigure PlaneFigureOf(const Command& command) {
    const std::optional<PlaneFigure> figure = command.Plane();
    if (!figure) {
        throw std::invalid_argument(std::string(command.caption) + " is not a figure of the plane");
    }
    return *figure;
}

}  // namespace

void RunFigureView(Surface& surface, const Command& command, const PlaneRect& view,
                   std::optional<int64_t> iterations, const SmoothColouring* smooth) {
    PlaneFigure figure = PlaneFigureOf(command);
    if (iterations) {
        figure = WithBudget(figure, *iterations);
    }
    figure.params.smooth = smooth;
    ClosingRun(surface, [&] { DrawPlaneFigure(surface, figure, view); });
}

bool DrawnInDoubles(const Command& command, const DeepRect& view, int width, int height) {
    const std::optional<PlaneRect> doubles = ToPlaneRect(view);
    if (!doubles) {
        return false;
    }
    try {
        return !ViewRefusal(*doubles, width, height, PlaneFigureOf(command).scan);
    } catch (const DrawingError&) {
        return true;  // a size the figure cannot draw: it says so when it draws
    }
}

void RunFigureDeepView(Surface& surface, const Command& command, const DeepRect& view,
                       std::optional<int64_t> iterations, int threads, DeepEngine::Stats* stats,
                       const std::atomic<bool>* cancel, const SmoothColouring* smooth) {
    PlaneFigure figure = PlaneFigureOf(command);
    if (iterations) {
        figure = WithBudget(figure, *iterations);
    }
    figure.params.smooth = smooth;
    const DeepPicture picture =
        MakeDeepPicture(figure, view, surface.ImgWidth(), surface.ImgHeight());
    DeepEngine engine(threads);
    EscapeEngine* previous = surface.Engine();
    struct Restore {
        Surface& surface;
        EscapeEngine* engine;
        ~Restore() { surface.SetEngine(engine); }
    } restore{surface, previous};
    // The scan reads the view's doubles only for the plane window it
    // leaves; the engine computes the points itself.
    const PlaneRect rounded{view.left.ToDouble(), view.right.ToDouble(), view.bottom.ToDouble(),
                            view.top.ToDouble()};
    ClosingRun(surface, [&] {
        engine.Prepare(picture, cancel);
        surface.SetEngine(&engine);
        DrawPlaneFigure(surface, figure, rounded);
    });
    if (stats != nullptr) {
        *stats = engine.GetStats();
    }
}

Bitmap DrawFigureSupersampled(const Command& command, const std::optional<PlaneRect>& view,
                              const std::optional<DeepRect>& deepView,
                              std::optional<int64_t> iterations, const SmoothColouring* smooth,
                              int n, int width, int height, EscapeEngine& engine, int threads) {
    PlaneFigure figure = PlaneFigureOf(command);
    if (iterations) {
        figure = WithBudget(figure, *iterations);
    }
    figure.params.smooth = smooth;
    const std::atomic<bool> never{false};
    const ViewRenderOptions options{1, n};
    Bitmap picture(width, height);
    if (deepView) {
        DeepEngine deep(threads);
        RenderDeepView(figure, *deepView, width, height, deep, never, picture, {}, options);
    } else {
        RenderView(figure, view ? *view : figure.own, width, height, engine, never, picture, {},
                   options);
    }
    return picture;
}

}  // namespace galleri
