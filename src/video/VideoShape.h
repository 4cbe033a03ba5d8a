#pragma once

#include "view/DeepView.h"

namespace galleri {

// A view shown in a picture of shownWidth x shownHeight, as a picture of
// width x height should show it: about the same centre, each pixel of the
// shape it had, and large enough to hold all of the view (the window's
// view in a video of another shape). Settled to the bits its shape needs.
DeepRect FitToShape(const DeepRect& view, int shownWidth, int shownHeight, int width, int height);

}  // namespace galleri
