#pragma once

#include <optional>
#include <string>

#include "escape/EscapeScan.h"

namespace galleri {

// Whether a view can be drawn at width x height with the figure's scan
// settings without blocks: every number finite, and neighbouring pixels on
// distinct points, checked on the very grid the scan builds (in the
// accumulated form the running sums stall first). Returns why not, as a
// line for the window to show ("cannot zoom further: ..."), or nothing when
// the view is fine. A size the figure cannot draw at all raises the scan's
// RangeError.
std::optional<std::string> ViewRefusal(const PlaneRect& view, int width, int height,
                                       const ScanSettings& scan);

}  // namespace galleri
