#include "escape/SizeLimits.h"

#include <algorithm>
#include <array>
#include <string>

#include "escape/EscapeScan.h"
#include "surface/Errors.h"

namespace galleri {

namespace {

constexpr int kWidestColumn = 65535;
constexpr int kTallestRow = 65535;

// The figures whose scan fills the row table.
constexpr std::array<std::string_view, 16> kRowTableFigures = {
    "m11", "m21",  "m31",  "m41",  "m51",  "m61",  "m71",           "m81",
    "m91", "m101", "m111", "m121", "m131", "m141", "mandeldragon2", "mandelphoenix1",
};

// The other figures of the plane: every pixel coordinate of the scan is set.
constexpr std::array<std::string_view, 26> kPlaneFigures = {
    "j11",   "j21",
    "j31",   "j41",
    "j51",   "j61",
    "j71",   "j8J81",
    "j91",   "j101",
    "j111",  "j121",
    "j131",  "j141",
    "j151",  "jd11",
    "jd21",  "jd31",
    "jd41",  "jd51",
    "jd61",  "jd71",
    "jd81",  "jd91",
    "jd101", "binarydecomposition1",
};

bool Among(std::string_view item, auto const& items) {
    return std::find(items.begin(), items.end(), item) != items.end();
}

}  // namespace

std::optional<SizeLimit> FigureSizeLimit(std::string_view item) {
    if (Among(item, kRowTableFigures)) {
        return SizeLimit{kWidestColumn, kRowTableSize - 1};
    }
    if (Among(item, kPlaneFigures)) {
        return SizeLimit{kWidestColumn, kTallestRow};
    }
    return std::nullopt;
}

void CheckFigureSize(std::string_view item, int width, int height) {
    const std::optional<SizeLimit> limit = FigureSizeLimit(item);
    if (limit && width > limit->width) {
        throw RangeError("picture width " + std::to_string(width) +
                         " is past the largest pixel coordinate, " + std::to_string(limit->width));
    }
    if (limit && height > limit->height) {
        throw RangeError(
            limit->height == kRowTableSize - 1
                ? "picture height " + std::to_string(height) + " exceeds this figure's " +
                      std::to_string(limit->height) + " rows"
                : "picture height " + std::to_string(height) +
                      " is past the largest pixel coordinate, " + std::to_string(limit->height));
    }
}

}  // namespace galleri
