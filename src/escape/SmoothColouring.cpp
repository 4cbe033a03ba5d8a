#include "escape/SmoothColouring.h"

#include <cmath>
#include <utility>

namespace galleri {

SmoothColouring::SmoothColouring(std::vector<Stop> stops, double density, double offset)
    : gradient_(std::move(stops), density, offset),
      scale_(Gradient::kEntries / density),
      shift_((offset - std::floor(offset)) * Gradient::kEntries) {}

}  // namespace galleri
