#pragma once

#include <string>

namespace galleri {

struct Command;

// One line saying what a command's figure shows, for the menu's status
// tips, the window's status line and galleri-render --list: the figures of
// the plane from their own numbers (rectangle, constant, budget), the others
// from what their presets choose.
std::string Describe(const Command& command);

// Whether a Julia-type figure's set is dust: its map's critical orbit
// escapes, so no point of the set stays bounded.
bool JuliaSetIsDust(const Command& command);

}  // namespace galleri
