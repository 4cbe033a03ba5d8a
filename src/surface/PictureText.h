#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace galleri {

// The text a picture file of this program carries (the galleri-render
// arguments that redraw it): in a PNG the uncompressed text chunk with the
// keyword "Galleri", in a JPEG the first comment. Nothing for other files,
// for files without it, and for files cut short.
std::optional<std::string> ReadPictureText(std::string_view file);

}  // namespace galleri
