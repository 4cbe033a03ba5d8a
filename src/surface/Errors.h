#pragma once

#include <stdexcept>
#include <string>

namespace galleri {

// Base of the errors that checked arithmetic raises while drawing. A figure
// that raises one ends at once; the window reports the message in a box.
class DrawingError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A value outside the range of the variable or parameter that receives it.
class RangeError : public DrawingError {
  public:
    RangeError() : DrawingError("Range check error") {}
    explicit RangeError(const std::string& what) : DrawingError("Range check error: " + what) {}
};

// An integer operation whose result does not fit its type.
class OverflowError : public DrawingError {
  public:
    OverflowError() : DrawingError("Arithmetic overflow") {}
    explicit OverflowError(const std::string& what)
        : DrawingError("Arithmetic overflow: " + what) {}
};

// What went wrong in the user's words: the detail a check gave ("picture
// height 5000 exceeds this figure's 4096 rows"), or what kind of check
// failed when it gave none.
inline std::string InUserWords(const DrawingError& error) {
    const std::string what = error.what();
    for (const std::string prefix : {"Range check error: ", "Arithmetic overflow: "}) {
        if (what.rfind(prefix, 0) == 0) {
            return what.substr(prefix.size());
        }
    }
    if (what == "Range check error") {
        return "a value went outside the range of its variable (range check error)";
    }
    if (what == "Arithmetic overflow") {
        return "an integer overflowed in the figure's arithmetic (arithmetic overflow)";
    }
    return what;
}

}  // namespace galleri
