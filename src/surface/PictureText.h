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

// The text of a PNG file's first uncompressed text chunk with this keyword;
// nothing when it has none or is no PNG. The chunks before the picture's
// data are found in a file's first part alone.
std::optional<std::string> ReadPngText(std::string_view file, std::string_view keyword);

}  // namespace galleri
