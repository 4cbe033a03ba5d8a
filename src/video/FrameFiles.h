#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "surface/Bitmap.h"

namespace galleri {

// The numbered PNG files of a video's frames (--frames), which
// --from-frames encodes: "frame-000042.png", six digits or more.
std::string FrameFileName(int64_t index);

// The PNG keyword of the text that says which frame of which video a file
// is; the file's "Galleri" text is the still's command line.
inline constexpr std::string_view kVideoTextKeyword = "Galleri video";

// "frame 42 of 300: IDENTITY", where the identity is what makes the video's
// frames what they are (its views, frames and drawing options).
std::string FrameVideoText(int64_t index, int64_t frames, std::string_view identity);

// Writes a frame as a PNG file, atomically as every picture, with its two
// texts. Throws SaveError.
void WriteFrameFile(const Bitmap& frame, const std::string& path, std::string_view stillText,
                    std::string_view videoText);

// A frame file that cannot be read: "cannot read 'PATH': why".
class FrameReadError : public std::runtime_error {
  public:
    FrameReadError(const std::string& path, const std::string& why);
};

// A frame file's video text, from the start of the file; nothing when the
// file is no PNG or has none. Throws FrameReadError.
std::optional<std::string> ReadFrameVideoText(const std::string& path);

// A frame file's picture. Throws FrameReadError.
Bitmap ReadFrameFile(const std::string& path);

}  // namespace galleri
