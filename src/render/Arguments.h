#pragma once

#include <optional>
#include <string>
#include <vector>

#include "colour/Palette.h"
#include "commands/Options.h"
#include "escape/EscapeScan.h"
#include "render/VideoRequest.h"
#include "view/ColouringText.h"
#include "view/DeepView.h"

namespace galleri {

struct Command;

// What galleri-render's command line asks for.
struct RenderRequest {
    Action action = Action::Render;
    const Command* figure = nullptr;  // an enabled figure command when rendering
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    std::string output;  // the figure's item name + ".png" unless given
    // --view: a rectangle of the plane to draw instead of the figure's own
    // (only for a figure of the plane).
    std::optional<PlaneRect> view;
    // A view below double precision, drawn by perturbation (then `view` is
    // empty).
    std::optional<DeepRect> deepView;
    // --iterations: the most iterations a point gets.
    std::optional<int64_t> iterations;
    // The escape-time engine: the fast one on `threads` threads (0: one per
    // core), or the plain scalar reference on one thread.
    bool scalarEngine = false;
    int threads = 0;
    // The colouring (a figure of the plane's own unless smooth) and, for
    // the smooth one, its palette's stops, read and checked.
    ColouringChoice colouring;
    std::vector<Stop> paletteStops;
    // --video: a zoom video instead of a picture (then `view`, `deepView`
    // and `output` are empty).
    std::optional<VideoRequest> video;
};

// A parsed command line, or the one-line message and exit status of what is
// wrong with it.
struct ParseResult {
    RenderRequest request;
    std::string error;
    int status = kExitDone;
    bool Ok() const { return error.empty(); }
};

// Parses galleri-render's arguments after the program name with the options
// both programs share, and resolves the figure. Never throws for any input.
ParseResult ParseArguments(const std::vector<std::string>& args);
ParseResult ParseArguments(int argc, const char* const* argv);

// A view's text as a still of `figure` at width x height draws it: in
// doubles when doubles draw it without blocks (`view`), else in arbitrary
// precision (`deepView`); or `error`, "bad view '...': why".
struct ResolvedView {
    std::optional<PlaneRect> view;
    std::optional<DeepRect> deepView;
    std::string error;
};
ResolvedView ResolveView(const Command& figure, std::string_view text, int width, int height);

// The usage text of galleri-render --help, listing every option.
std::string HelpText();

}  // namespace galleri
