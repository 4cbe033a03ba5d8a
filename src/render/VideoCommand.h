#pragma once

#include "render/Arguments.h"

namespace galleri {

// galleri-render --video: makes the video (or its frames, or the video of a
// folder of frames) with a progress line on a terminal; Ctrl+C and SIGTERM
// stop it cleanly. Tells the outcome in one line on stderr (what was made
// only when someone watches) and returns the exit status.
int RunVideoCommand(const RenderRequest& request);

}  // namespace galleri
