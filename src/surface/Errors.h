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

}  // namespace galleri
