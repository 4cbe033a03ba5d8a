#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "colour/Gradient.h"
#include "colour/PaletteChecksum.h"
#include "colour/PaletteFiles.h"

namespace galleri::fuzz {

inline std::string_view Text(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Aborts, which libFuzzer reports as a crash with the input that caused it.
inline void Require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

// What every reader promises: a palette of ordered stops that a gradient
// takes, or one line of error that names the file.
inline void CheckResult(const PaletteResult& r, std::string_view fileName) {
    if (!r) {
        Require(r.error.rfind("palette '" + std::string(fileName) + "'", 0) == 0);
        Require(r.error.find('\n') == std::string::npos);
        return;
    }
    Require(r.error.empty());
    const std::vector<Stop>& stops = r.palette->stops;
    Require(!stops.empty());
    for (size_t i = 0; i < stops.size(); ++i) {
        Require(stops[i].position >= 0.0 && stops[i].position <= 1.0);
        Require(i == 0 || stops[i - 1].position <= stops[i].position);
    }
    const Gradient gradient(stops, 3.0, 0.25);
    for (const double nu : {0.0, 0.7, 2.9, -5.5}) {
        Require(gradient.Colour(nu, 3, 4) >> 24 == 0);
    }
    (void)PaletteChecksum(stops);
}

}  // namespace galleri::fuzz
