#include "render/MemoryCheck.h"

#include <sys/resource.h>

#include <algorithm>
#include <fstream>
#include <string>

namespace galleri {

namespace {

// What the libraries take besides the picture once drawing starts (Qt's
// start-up, fonts, threads' stacks), generously.
constexpr uint64_t kLibraryMargin = uint64_t{48} << 20;

// A "Key:   123 kB" line of a /proc file, in bytes.
std::optional<uint64_t> ProcKilobytes(const char* file, const std::string& key) {
    std::ifstream in(file);
    std::string name;
    uint64_t value = 0;
    while (in >> name) {
        if (name == key && in >> value) {
            return value * 1024;
        }
        in.ignore(1 << 16, '\n');
    }
    return std::nullopt;
}

// Room left under a resource limit, given what the process uses of it now.
std::optional<uint64_t> RoomUnder(int resource, std::optional<uint64_t> used) {
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || !used) {
        return std::nullopt;
    }
    return limit.rlim_cur > *used ? limit.rlim_cur - *used : 0;
}

void KeepLeast(std::optional<uint64_t>& least, std::optional<uint64_t> candidate) {
    if (candidate && (!least || *candidate < *least)) {
        least = candidate;
    }
}

}  // namespace

std::optional<uint64_t> MemoryLeft() {
    std::optional<uint64_t> left;
    KeepLeast(left, RoomUnder(RLIMIT_AS, ProcKilobytes("/proc/self/status", "VmSize:")));
    KeepLeast(left, RoomUnder(RLIMIT_DATA, ProcKilobytes("/proc/self/status", "VmData:")));
    KeepLeast(left, ProcKilobytes("/proc/meminfo", "MemAvailable:"));
    return left;
}

uint64_t MemoryNeeded(int width, int height) {
    const auto w = static_cast<uint64_t>(std::max(width, 0));
    const auto h = static_cast<uint64_t>(std::max(height, 0));
    // The picture, and some rows' worth for libjpeg's and libpng's buffers.
    return 4 * w * h + 64 * w + kLibraryMargin;
}

}  // namespace galleri
