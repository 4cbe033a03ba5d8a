#pragma once

#include <cstddef>
#include <stdexcept>

namespace galleri {

// Where an encoder puts the bytes of a picture file as it makes them.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    // Takes all `size` bytes or throws.
    virtual void Write(const void* data, size_t size) = 0;
};

// The resolution a picture file records, in dots per metre (0: none).
struct Resolution {
    int dotsPerMeterX = 0;
    int dotsPerMeterY = 0;
};

// An encoder that refused the picture or failed inside its library; the
// message is the library's reason.
class EncodeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace galleri
