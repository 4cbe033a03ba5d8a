#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "colour/PaletteFiles.h"
#include "colour/PaletteText.h"

namespace galleri {

using namespace palette_text;

namespace {

std::string LowerExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return ext;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// The file's bytes, up to one more than the limit so that a larger file
// shows; or the system's reason it could not be read.
std::optional<std::string> ReadAtMost(const std::string& path, size_t limit, std::string& why) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        why = std::strerror(errno);
        return std::nullopt;
    }
    std::string bytes(limit + 1, '\0');
    const size_t n = std::fread(bytes.data(), 1, bytes.size(), file.get());
    if (std::ferror(file.get())) {
        why = std::strerror(errno);
        return std::nullopt;
    }
    bytes.resize(n);
    return bytes;
}

}  // namespace

PaletteResult LoadPalette(const std::string& path, std::optional<std::string_view> gradientName) {
    const std::string ext = LowerExtension(path);
    if (ext != ".map" && ext != ".gpl" && ext != ".ggr" && ext != ".ugr") {
        return Fail(path, "unknown kind of palette file; expected .map, .gpl, .ggr or .ugr");
    }
    if (gradientName && ext != ".ugr") {
        return Fail(path, "only a .ugr file holds gradients to choose by name");
    }
    std::string why;
    const std::optional<std::string> text = ReadAtMost(path, kMaxPaletteFileBytes, why);
    if (!text) {
        return Fail(path, "cannot read it: " + why);
    }
    if (text->size() > kMaxPaletteFileBytes) {
        return Fail(path, "larger than the 4 MB a palette file may have");
    }
    if (ext == ".map") {
        return ParseMapPalette(*text, path);
    }
    if (ext == ".gpl") {
        return ParseGplPalette(*text, path);
    }
    if (ext == ".ggr") {
        return ParseGgrPalette(*text, path);
    }
    return ParseUgrPalette(*text, path, gradientName);
}

}  // namespace galleri
