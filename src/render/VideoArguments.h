#pragma once

#include <string>

#include "commands/Options.h"
#include "deep/BigFloat.h"
#include "render/Arguments.h"
#include "view/ExploreView.h"

namespace galleri {

// Fills request.video from --video and the options that go with it, once the
// figure, the size, the iterations and every other still option are known;
// returns what is wrong, empty when all is well. The request then draws no
// still: --view, --location and a picture's --output are refused.
std::string ResolveVideo(const Options& options, RenderRequest& request);

// A view of a video's path as a still of the figure at the size draws it
// from its own text: the view settled to the bits its shape needs, then in
// doubles when doubles draw it (ResolveView), so every frame's Galleri text
// redraws that very frame.
ExploreView FrameView(const Command& figure, const DeepRect& view, int width, int height);

// A view as its text: FormatView's in doubles, FormatDeepView's below.
std::string ViewText(const ExploreView& view);

}  // namespace galleri
