#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "colour/Palette.h"

namespace galleri {

struct BuiltinPalette {
    Palette palette;
    std::string description;  // one line, for a listing of the palettes
};

// The palettes the program carries, in the order a listing shows them.
const std::vector<BuiltinPalette>& BuiltinPalettes();

// By name ("fire"), or nullptr.
const Palette* FindBuiltinPalette(std::string_view name);

}  // namespace galleri
