#include "surface/PictureFile.h"

namespace galleri {

// Placeholder until the file writers land.
PictureFormat FormatForName(const std::string&) {
    return PictureFormat::Bmp;
}

void SavePicture(const Bitmap&, const std::string& path) {
    throw SaveError(path, "saving is not built yet");
}

}  // namespace galleri
