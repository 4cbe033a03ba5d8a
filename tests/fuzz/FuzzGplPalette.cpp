#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace galleri;
    fuzz::CheckResult(ParseGplPalette(fuzz::Text(data, size), "fuzz.gpl"), "fuzz.gpl");
    return 0;
}
