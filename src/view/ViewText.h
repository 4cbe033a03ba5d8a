#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "escape/EscapeScan.h"

namespace galleri {

// A view as text, LEFT,RIGHT,BOTTOM,TOP, each number in the shortest form
// that reads back to the same double ("-0.75,-0.74,0.1,0.11", "1e-05").
std::string FormatView(const PlaneRect& view);

// A double in the shortest decimal that reads back to it ("0.1", "1e-05").
std::string Shortest(double value);

// The four comma-separated fields of a view's text, LEFT,RIGHT,BOTTOM,TOP;
// none, and `error` says in one line why, when there are not four. Both the
// double and the deep reader start here.
std::vector<std::string_view> SplitView(std::string_view text, std::string& error);

// Reads FormatView's text back. Exactly four finite numbers separated by
// commas, nothing else (no spaces), with LEFT != RIGHT and BOTTOM != TOP;
// otherwise `error` says in one line what is wrong and `view` is empty.
struct ParsedView {
    std::optional<PlaneRect> view;
    std::string error;
};
ParsedView ParseView(std::string_view text);

// The galleri-render arguments that redraw a picture of a figure: `--size
// WxH`, `--view ...` only when the view is not the figure's own rectangle,
// `--iterations N` when the iterations are not the figure's own, the
// colouring's arguments (ColouringArguments) when there are any, and the
// figure's item name, e.g. "--size 483x609 --view -0.75,-0.74,0.1,0.11
// m11". Item names need no quoting.
std::string RenderArguments(std::string_view item, int width, int height, const PlaneRect& view,
                            const PlaneRect& own, int64_t iterations = 0, int64_t ownIterations = 0,
                            std::string_view colouring = {});
// The same with the view as text, empty for the figure's own.
std::string RenderArguments(std::string_view item, int width, int height, std::string_view viewText,
                            int64_t iterations, int64_t ownIterations,
                            std::string_view colouring = {});

// A zoom factor for display: "x 1", "x 1.41", "x 350", "x 2215", "x 1.5e6".
std::string FormatZoom(double factor);

}  // namespace galleri
