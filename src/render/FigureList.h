#pragma once

#include <string>

namespace galleri {

// The text of --list: item name, caption and menu of every figure command,
// in menu order, with the ones not built yet marked.
std::string FigureList();

// The text of --list-palettes: every built-in palette's name and what it
// looks like, the default marked.
std::string PaletteList();

}  // namespace galleri
