#include "commands/About.h"

#include <jpeglib.h>
#include <mpfr.h>
#include <png.h>

#include <cstdio>  // before jpeglib.h, which needs FILE

namespace galleri {

const std::vector<KeyHelp>& KeysAndGestures() {
    static const std::vector<KeyHelp> keys = {
        {"a menu entry", "draws that figure; Escape stops it at the next column"},
        {"wheel", "zooms in (away from you) or out about the point under the cursor"},
        {"left-drag",
         "a rubber band with the picture's proportions: its rectangle becomes the view"},
        {"left click", "zooms in 2x about the point"},
        {"right-drag", "pans: the plane follows the cursor"},
        {"arrow keys", "pan by an eighth of the view"},
        {"+ or =, -", "zoom 2x in or out about the centre"},
        {"Backspace, Alt+Left", "the previous view"},
        {"Alt+Right", "the next view"},
        {"Home", "the figure's own rectangle and iteration budget"},
        {"S", "square pixels about the centre"},
        {"] and [", "double or halve the iteration budget (the automatic budget stops until Home)"},
        {"R", "draws the current view again at the window's present size"},
        {"Colour menu",
         "the figures' own colours or smooth ones, a palette built in or from a file, and "
         "supersampling of the view"},
        {"D, Shift+D",
         "smooth colours: one pass through the palette spans half or twice the iterations"},
        {"C", "cycles the palette through the picture, or stops it"},
        {", and .", "moves the palette a step back or on"},
        {"Escape", "stops the view or figure being drawn"},
        {"Ctrl+O", "opens a location file or a picture Galleri saved"},
        {"Ctrl+S", "\"spara bild\": saves the picture as JPEG, PNG or bitmap"},
        {"Ctrl+C", "copies the picture"},
        {"Ctrl+Shift+C", "copies the galleri-render command line of the current view"},
        {"Ctrl+left-drag", "drags the picture out as an image and a PNG file"},
        {"F1", "this list"},
        {"Ctrl+Q", "quits"},
    };
    return keys;
}

std::string CoreLibraries() {
    return "libjpeg " + std::to_string(JPEG_LIB_VERSION) + ", libpng " + PNG_LIBPNG_VER_STRING +
           ", MPFR " + mpfr_get_version();
}

const char* LicenceNotice() {
    return "Galleri is free software: you can redistribute it and change it under the terms of "
           "the GNU General Public License, version 3 or (at your option) any later version "
           "(the file LICENSE). It comes with no warranty. Zoom videos are encoded with FFmpeg's "
           "libraries and libx264 or libvpx, loaded when a video is made.";
}

}  // namespace galleri
