#pragma once

namespace galleri {

class Surface;

// Bifurcation diagram of the logistic map x -> r x (1 - x): one column per r,
// iterates 66 to 256 from x = 0.5 plotted in red. Indices 1 and 3 show the
// close-up from r = 3.55, the others the range from 0.95; indices 1 and 2 map
// x over the whole height, the others x / r into the bottom 175 rows. An
// orbit leaving +-1e6 ends the whole diagram. AbortRequested is tested after
// each column, but no message is handled while it draws.
void DrawBifurcation(Surface& surface, int index);

}  // namespace galleri
