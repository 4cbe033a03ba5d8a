#include "colour/ColourSpace.h"

#include <cmath>

namespace galleri {

double SrgbToLinear(double encoded) {
    if (encoded <= 0.04045) {
        return encoded / 12.92;
    }
    return std::pow((encoded + 0.055) / 1.055, 2.4);
}

double LinearToSrgb(double linear) {
    if (linear <= 0.0031308) {
        return linear * 12.92;
    }
    return 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055;
}

// The matrices are Ottosson's published ones, to the digits he gives.
Oklab LinearToOklab(LinearRgb c) {
    const double l = 0.4122214708 * c.r + 0.5363325363 * c.g + 0.0514459929 * c.b;
    const double m = 0.2119034982 * c.r + 0.6806995451 * c.g + 0.1073969566 * c.b;
    const double s = 0.0883024619 * c.r + 0.2817188376 * c.g + 0.6299787005 * c.b;
    const double l3 = std::cbrt(l);
    const double m3 = std::cbrt(m);
    const double s3 = std::cbrt(s);
    return {0.2104542553 * l3 + 0.7936177850 * m3 - 0.0040720468 * s3,
            1.9779984951 * l3 - 2.4285922050 * m3 + 0.4505937099 * s3,
            0.0259040371 * l3 + 0.7827717662 * m3 - 0.8086757660 * s3};
}

LinearRgb OklabToLinear(Oklab c) {
    const double l3 = c.L + 0.3963377774 * c.a + 0.2158037573 * c.b;
    const double m3 = c.L - 0.1055613458 * c.a - 0.0638541728 * c.b;
    const double s3 = c.L - 0.0894841775 * c.a - 1.2914855480 * c.b;
    const double l = l3 * l3 * l3;
    const double m = m3 * m3 * m3;
    const double s = s3 * s3 * s3;
    return {4.0767416621 * l - 3.3077115913 * m + 0.2309699292 * s,
            -1.2684380046 * l + 2.6097574011 * m - 0.3413193965 * s,
            -0.0041960863 * l - 0.7034186147 * m + 1.7076147010 * s};
}

}  // namespace galleri
