#pragma once

#include <stdexcept>
#include <string>

#include "surface/Bitmap.h"

namespace galleri {

// A picture that could not be written; the message names the path and the
// reason.
class SaveError : public std::runtime_error {
  public:
    SaveError(const std::string& path, const std::string& reason)
        : std::runtime_error("Could not save " + path + ": " + reason),
          path_(path),
          reason_(reason) {}
    const std::string& Path() const { return path_; }
    const std::string& Reason() const { return reason_; }

  private:
    std::string path_;
    std::string reason_;
};

enum class PictureFormat { Jpeg, Png, Bmp };

// The format a file name asks for: .jpg and .jpeg (any case) give JPEG, .png
// (any case) PNG, every other name the bitmap format. Only the extension of
// the file name counts, not dots in folder names.
PictureFormat FormatForName(const std::string& path);

// Writes the picture to path in the format its name asks for. The write is
// atomic: a temporary file in the target's folder is renamed over the target,
// so a failed save never harms an existing file. Throws SaveError.
void SavePicture(const Bitmap& picture, const std::string& path);

}  // namespace galleri
