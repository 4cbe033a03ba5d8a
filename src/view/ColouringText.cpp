#include "view/ColouringText.h"

#include "view/ArgumentWords.h"
#include "view/ViewText.h"

namespace galleri {

std::string ColouringArguments(const ColouringChoice& choice) {
    const std::string samples =
        choice.supersample > 1 ? "--supersample " + std::to_string(choice.supersample) : "";
    if (!choice.smooth) {
        return samples;
    }
    std::string args = "--colouring smooth";
    if (choice.palette != kDefaultPalette) {
        args += " --palette " + QuoteArgument(choice.palette);
    }
    if (!choice.checksum.empty()) {
        args += " --palette-checksum " + choice.checksum;
    }
    if (choice.density != kDefaultDensity) {
        args += " --density " + Shortest(choice.density);
    }
    if (choice.offset != kDefaultOffset) {
        args += " --offset " + Shortest(choice.offset);
    }
    return samples.empty() ? args : args + " " + samples;
}

}  // namespace galleri
