#include "surface/PictureText.h"

#include <cstdint>

namespace galleri {

namespace {

uint32_t Big32(std::string_view s, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(s[at])) << 24 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 1])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 2])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 3]));
}

std::optional<std::string> PngText(std::string_view file, std::string_view keyword) {
    const std::string key = std::string(keyword) + '\0';
    size_t at = 8;
    while (at + 12 <= file.size()) {
        const uint32_t length = Big32(file, at);
        const std::string_view type = file.substr(at + 4, 4);
        if (length > file.size() - at - 12) {
            return std::nullopt;
        }
        const std::string_view data = file.substr(at + 8, length);
        if (type == "IEND") {
            break;
        }
        if (data.substr(0, key.size()) == key) {
            if (type == "tEXt") {
                return std::string(data.substr(key.size()));
            }
            if (type == "iTXt" && data.size() >= key.size() + 2 && data[key.size()] == '\0') {
                // Not compressed: a language tag and a translated keyword,
                // each ending in NUL, before the text.
                size_t text = key.size() + 2;
                for (int skip = 0; skip < 2; ++skip) {
                    text = data.find('\0', text);
                    if (text == std::string_view::npos) {
                        return std::nullopt;
                    }
                    ++text;
                }
                return std::string(data.substr(text));
            }
        }
        at += 12 + length;
    }
    return std::nullopt;
}

std::optional<std::string> JpegText(std::string_view file) {
    size_t at = 2;
    while (at + 4 <= file.size()) {
        if (static_cast<unsigned char>(file[at]) != 0xFF) {
            return std::nullopt;
        }
        const auto marker = static_cast<unsigned char>(file[at + 1]);
        if (marker == 0xDA || marker == 0xD9) {
            break;  // the picture's data: no comment came before it
        }
        const size_t length = static_cast<unsigned char>(file[at + 2]) << 8 |
                              static_cast<unsigned char>(file[at + 3]);
        if (length < 2 || at + 2 + length > file.size()) {
            return std::nullopt;
        }
        if (marker == 0xFE) {
            return std::string(file.substr(at + 4, length - 2));
        }
        at += 2 + length;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> ReadPictureText(std::string_view file) {
    if (file.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) {
        return PngText(file, "Galleri");
    }
    if (file.size() >= 2 && static_cast<unsigned char>(file[0]) == 0xFF &&
        static_cast<unsigned char>(file[1]) == 0xD8) {
        return JpegText(file);
    }
    return std::nullopt;
}

std::optional<std::string> ReadPngText(std::string_view file, std::string_view keyword) {
    if (file.substr(0, 8) != std::string_view("\x89PNG\r\n\x1a\n", 8)) {
        return std::nullopt;
    }
    return PngText(file, keyword);
}

}  // namespace galleri
