#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace galleri;
    fuzz::CheckResult(ParseGgrPalette(fuzz::Text(data, size), "fuzz.ggr"), "fuzz.ggr");
    return 0;
}
