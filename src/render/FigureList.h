#pragma once

#include <string>

namespace galleri {

// The text of --list: item name, caption and menu of every figure command,
// in menu order, with the ones not built yet marked.
std::string FigureList();

}  // namespace galleri
