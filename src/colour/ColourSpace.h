#pragma once

namespace galleri {

// sRGB's transfer curves, for one channel from 0 to 1: the encoded value a
// file stores and the linear light it means.
double SrgbToLinear(double encoded);
double LinearToSrgb(double linear);

struct LinearRgb {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
};

// Björn Ottosson's OKLab: L is perceived lightness (0 black, 1 white), a and b
// the green-red and blue-yellow axes. Straight lines here look even to the eye,
// which is why gradients blend in it.
struct Oklab {
    double L = 0.0;
    double a = 0.0;
    double b = 0.0;
};

Oklab LinearToOklab(LinearRgb c);
LinearRgb OklabToLinear(Oklab c);

}  // namespace galleri
