#pragma once

#include <atomic>
#include <string>

#include "escape/EscapeScan.h"
#include "render/Arguments.h"

namespace galleri {

class Surface;

// The engine a request asks for (--engine, --threads), on the surface:
// `scalar` when it asks for the plain reference.
void ChooseEngine(Surface& surface, const RenderRequest& request, ScalarEngine& scalar);

// Draws the picture of a request on the surface (its platform sized to the
// request): the figure's menu command, another view of it in doubles, or a
// deep view, in the colouring and with the samples a pixel it asks for. A still and every frame of
// a video are drawn by this one function, so a frame is the still of its view with the same
// options. `cancel`, when set, stops a deep view's orbit and pixels (the picture is then to be
// dropped); a view of doubles stops where the platform's message points request it.
void DrawStill(Surface& surface, const RenderRequest& request,
               const std::atomic<bool>* cancel = nullptr);

// The arguments that draw the picture again, for the file's Galleri text:
// the size, the view unless it is the figure's own, the iterations unless
// they are its own, the colouring unless it is the figure's own, and the
// item name.
std::string PictureText(const RenderRequest& request);

}  // namespace galleri
