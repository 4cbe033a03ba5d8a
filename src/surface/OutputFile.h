#pragma once

#include <string>

#include "surface/ByteSink.h"

namespace galleri {

// A file written as a stream and put in place only when it is complete. The
// bytes go to a temporary file beside the target, which Commit renames over
// the target once every byte is on disk; an OutputFile destroyed without
// Commit removes its temporary file, so a failed save leaves an existing file
// as it was and nothing new behind. A device or pipe (/dev/full, /dev/stdout)
// is written in place: renaming a file over it would replace the device.
//
// The path is used byte for byte (file names on Linux need not be UTF-8), and
// a symbolic link is followed, so the file it points to is replaced. Every
// failure throws SaveError with the system's reason ("No space left on
// device").
class OutputFile : public ByteSink {
  public:
    explicit OutputFile(const std::string& path);
    ~OutputFile() override;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void Write(const void* data, size_t size) override;
    void Commit();
    // The temporary file the bytes go to until Commit, for a writer that
    // opens the file by name (FFmpeg's muxers reopen it to move the index to
    // the front); empty when the target is a device written in place.
    const std::string& TempPath() const { return temp_; }

  private:
    [[noreturn]] void Fail(int error) const;

    std::string path_;    // as given, for messages
    std::string target_;  // symbolic links resolved
    std::string temp_;    // empty when the target is written in place
    int fd_ = -1;
    bool committed_ = false;
};

}  // namespace galleri
