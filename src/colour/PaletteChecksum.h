#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "colour/Palette.h"

namespace galleri {

// FNV-1a, 64 bits.
uint64_t Fnv1a64(std::string_view bytes);

// The stops as the checksum sees them: per stop, the position in units of
// 2^-32 as 8 bytes little-endian, then red, green and blue. Positions that
// print alike in a file but differ in their last bits stay apart.
std::string CanonicalStops(const std::vector<Stop>& stops);

// What a picture's text records beside an imported palette's name, so that a
// changed file shows: FNV-1a 64 of the canonical stops.
uint64_t PaletteChecksum(const std::vector<Stop>& stops);

// As 16 lower-case hex digits.
std::string PaletteChecksumText(const std::vector<Stop>& stops);

}  // namespace galleri
