#pragma once

#include <optional>
#include <string_view>

namespace galleri {

// The largest picture a figure can draw, where that is known before it
// draws: the escape-time scan visits column ImgWidth and row ImgHeight, so a
// side of 65536 reaches pixel coordinate 65536, which is not 16-bit; and the
// figures whose scan fills the row table (the Mandelbrot views, mandeldragon,
// mandelphoenix) draw at most 4096 rows.
struct SizeLimit {
    int width;
    int height;
};

// By menu item name ("m11"); nullopt for a figure whose limits only show
// while it draws.
std::optional<SizeLimit> FigureSizeLimit(std::string_view item);

// Raises the range error the figure would raise when drawing a picture of
// this size, before anything is allocated for it; otherwise does nothing.
void CheckFigureSize(std::string_view item, int width, int height);

}  // namespace galleri
