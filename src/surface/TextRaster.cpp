#include "surface/TextRaster.h"

namespace galleri {

// Placeholder until the Qt text rendering lands.
void RasterText(Bitmap&, int, int, const std::string&) {}

}  // namespace galleri
