#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace galleri;
    fuzz::CheckResult(ParseMapPalette(fuzz::Text(data, size), "fuzz.map"), "fuzz.map");
    return 0;
}
