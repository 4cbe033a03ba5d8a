#pragma once

#include <cstdint>
#include <optional>

namespace galleri {

// The memory this process may still take, as far as the system tells: the
// room left under its address-space and data limits (RLIMIT_AS, RLIMIT_DATA)
// and the memory the machine has available (MemAvailable). nullopt when
// none of them is known.
std::optional<uint64_t> MemoryLeft();

// What drawing and saving a picture of this size takes at least: four bytes
// a pixel for the picture, the encoders' row buffers and a margin for the
// libraries.
uint64_t MemoryNeeded(int width, int height);

}  // namespace galleri
