#pragma once

#include <stdexcept>
#include <string>

#include "surface/QuoteForMessage.h"

namespace galleri {

// A picture that could not be written; the one-line message names the path
// (quoted, so any bytes show) and the reason.
class SaveError : public std::runtime_error {
  public:
    SaveError(const std::string& path, const std::string& reason)
        : std::runtime_error("Could not save " + QuoteForMessage(path) + ": " + reason),
          path_(path),
          reason_(reason) {}
    const std::string& Path() const { return path_; }
    const std::string& Reason() const { return reason_; }

  private:
    std::string path_;
    std::string reason_;
};

}  // namespace galleri
