#include "colour/PaletteChecksum.h"

#include <cmath>

namespace galleri {

uint64_t Fnv1a64(std::string_view bytes) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

std::string CanonicalStops(const std::vector<Stop>& stops) {
    std::string bytes;
    bytes.reserve(stops.size() * 11);
    for (const Stop& s : stops) {
        // Rounded to 2^-32 so that the bytes do not hang on how a position
        // was computed past that. 1 itself is 2^32, a bit past four bytes.
        const auto fixed = static_cast<uint64_t>(std::llround(s.position * 4294967296.0));
        for (int i = 0; i < 8; ++i) {
            bytes.push_back(static_cast<char>((fixed >> (8 * i)) & 0xFF));
        }
        bytes.push_back(static_cast<char>(s.colour.r));
        bytes.push_back(static_cast<char>(s.colour.g));
        bytes.push_back(static_cast<char>(s.colour.b));
    }
    return bytes;
}

uint64_t PaletteChecksum(const std::vector<Stop>& stops) {
    return Fnv1a64(CanonicalStops(stops));
}

std::string PaletteChecksumText(const std::vector<Stop>& stops) {
    static constexpr char kHex[] = "0123456789abcdef";
    const uint64_t sum = PaletteChecksum(stops);
    std::string text(16, '0');
    for (int i = 0; i < 16; ++i) {
        text[15 - i] = kHex[(sum >> (4 * i)) & 0xF];
    }
    return text;
}

}  // namespace galleri
