#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "deep/DeepEngine.h"
#include "escape/PlaneFigure.h"
#include "surface/Bitmap.h"
#include "view/DeepView.h"

namespace galleri {

class Surface;

// A drop-down menu of the menu bar.
struct Menu {
    const char* item;     // object name, e.g. "mandelbroot1"
    const char* caption;  // e.g. "mandelbroot"
};

enum class CommandKind { Figure, SavePicture };

// One menu command. The window builds its menu from this table and the CLI
// looks figures up in it; adding a command touches one row.
struct Command {
    const char* menu;     // item name of its menu; nullptr for the bar command
    const char* caption;  // e.g. "m_1", "träd"
    const char* item;     // e.g. "m11", "trd1"
    CommandKind kind;
    void (*draw)(Surface&, int);  // renderer; nullptr while not built
    int preset;                   // index passed to draw (0 where none)
    // The command's figure of the plane, given the preset; nullptr for the
    // figures that are not of the plane and for "spara bild". draw(s, preset)
    // is DrawPlaneFigure(s, plane(preset), plane(preset).own).
    PlaneFigure (*plane)(int) = nullptr;

    bool Enabled() const { return kind == CommandKind::SavePicture || draw != nullptr; }
    // The figure of the plane this command draws, if it draws one.
    std::optional<PlaneFigure> Plane() const {
        return plane != nullptr ? std::optional<PlaneFigure>(plane(preset)) : std::nullopt;
    }
};

std::span<const Menu> Menus();
std::span<const Command> Commands();

// The command whose item name or caption is `name`, or nullptr.
const Command* FindCommand(std::string_view name);

// Draws a figure command. Whatever ends the drawing (done, stopped, or an
// error, which is rethrown), the render run is closed: the window enabled
// again and the cursor restored.
void RunFigure(Surface& surface, const Command& command);

// Draws a figure of the plane command at another rectangle of the plane,
// with `iterations` a point instead of its own budget when given, and in
// the smooth colouring when given (else its own colours), closing the run
// whatever ends it, as RunFigure does. A command that is not a figure of
// the plane is std::invalid_argument.
void RunFigureView(Surface& surface, const Command& command, const PlaneRect& view,
                   std::optional<int64_t> iterations = std::nullopt,
                   const SmoothColouring* smooth = nullptr);

// Whether a view is drawn in double precision, as every view has been: its
// numbers are doubles and neighbouring pixels show distinct points. Views
// past that are deep views.
bool DrawnInDoubles(const Command& command, const DeepRect& view, int width, int height);

// Draws a deep view of a figure of the plane command: perturbation against
// reference orbits in arbitrary precision (DeepEngine) on `threads` threads
// (0: one per core), with `iterations` a point (its own budget when not
// given), through the figure's own scan, as RunFigureView does. `cancel`,
// when given, stops the reference orbit and the pixels (the picture is then
// unfinished); the engine's statistics go to `stats` when given.
void RunFigureDeepView(Surface& surface, const Command& command, const DeepRect& view,
                       std::optional<int64_t> iterations, int threads,
                       DeepEngine::Stats* stats = nullptr,
                       const std::atomic<bool>* cancel = nullptr,
                       const SmoothColouring* smooth = nullptr);

// Draws a figure of the plane command with n x n samples a pixel, averaged
// in linear light, at a view of doubles (`view`, or the figure's own when
// neither is given) or a deep view, into a picture of width x height, with
// `engine` for a view of doubles and `threads` for a deep one; in the
// smooth colouring when given. Raises the size errors its views raise.
Bitmap DrawFigureSupersampled(const Command& command, const std::optional<PlaneRect>& view,
                              const std::optional<DeepRect>& deepView,
                              std::optional<int64_t> iterations, const SmoothColouring* smooth,
                              int n, int width, int height, EscapeEngine& engine, int threads);

}  // namespace galleri
