#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace galleri;
    const std::string_view text = fuzz::Text(data, size);
    fuzz::CheckResult(ParseUgrPalette(text, "fuzz.ugr"), "fuzz.ugr");
    // The corpus names its entries with short words; "a" is one of them.
    fuzz::CheckResult(ParseUgrPalette(text, "fuzz.ugr", "a"), "fuzz.ugr");
    return 0;
}
