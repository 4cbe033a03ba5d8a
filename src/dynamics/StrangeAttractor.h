#pragma once

#include <cstdint>

namespace galleri {

class Surface;

// A three-dimensional sine map iterated 50000 times from the origin, every
// iterate plotted as a pixel whose colour value grows by 2 per visit: a
// density image. Preset 0 looks along the z axis, every other index along
// the x axis. No message is handled while it draws.
void DrawStrangeAttractor(Surface& surface, int index);

struct AttractorPoint {
    double x;
    double y;
    double z;
};

// The next iterate of the map, all coordinates from the old values.
AttractorPoint StrangeAttractorNext(const AttractorPoint& p);

// Horizontal scale width / 5.6 kept to four decimal places (the last one cut
// off).
double StrangeAttractorScaleX(int32_t width);

struct AttractorPixel {
    int32_t column;
    int32_t row;
};

// Where an iterate lands for a preset, with the scales sx and sy.
AttractorPixel StrangeAttractorPixel(int index, const AttractorPoint& p, double sx, double sy);

// The colour of a pixel after one more visit: ((c + 1) mod 0xFFFFFF) + 1,
// which never wraps to 0.
uint32_t NextDensityColour(uint32_t colour);

}  // namespace galleri
