#pragma once

#include <cstdint>

#include "surface/Bitmap.h"

namespace galleri {

// FNV-1a over the size and the colour values of a picture, for golden
// checksums of whole figures.
inline uint64_t PictureHash(const Bitmap& picture) {
    uint64_t h = 0xcbf29ce484222325ull;
    const auto mix = [&h](uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            h ^= (v >> (8 * i)) & 0xFF;
            h *= 0x100000001b3ull;
        }
    };
    mix(static_cast<uint32_t>(picture.Width()));
    mix(static_cast<uint32_t>(picture.Height()));
    for (uint32_t v : picture.Pixels()) {
        mix(v);
    }
    return h;
}

}  // namespace galleri
