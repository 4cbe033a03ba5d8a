#pragma once

#include <string>
#include <vector>

namespace galleri {

// One row of the window's "Keys and gestures": what to press or do, and
// what it does.
struct KeyHelp {
    const char* keys;
    const char* does;
};

// Every key and gesture of the window, in the order the help shows them.
const std::vector<KeyHelp>& KeysAndGestures();

// The libraries the drawing core is built on, with their versions:
// "libjpeg 62, libpng 1.6.39, MPFR 4.2.0".
std::string CoreLibraries();

// What the program is, as its licence says: free software under the GNU
// General Public License, version 3 or later (the encoders of its videos,
// libx264 among them, are under the GPL too).
const char* LicenceNotice();

}  // namespace galleri
