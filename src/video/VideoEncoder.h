#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "surface/Bitmap.h"

namespace galleri {

enum class VideoFormat { Mp4, WebM };

struct EncoderSettings {
    VideoFormat format = VideoFormat::Mp4;
    int width = 0;
    int height = 0;
    int fps = 30;
    int crf = 20;  // constant quality: lower is better
};

// Loads the encoder module now, on the calling thread: a program that
// encodes on a thread of its own loads it on its main thread first, where
// the libraries' thread-local set-up lives as long as the program. Whether
// it loads is told by the first VideoEncoder.
void LoadVideoEncoder();

// The quality a format gets when none is asked for.
int DefaultCrf(VideoFormat format);
// The largest quality number the format's encoder takes.
int MostCrf(VideoFormat format);
// "H.264" or "VP9".
const char* CodecName(VideoFormat format);

// Encodes pictures into a video file with FFmpeg's libraries, in the
// encoder module loaded at the first video (EncoderModule.h): H.264
// (libx264, yuv420p, BT.709) in MP4 with the index in front for playing
// while it downloads, or VP9 (libvpx) in WebM. The file is written as a
// picture is: into a temporary file beside it, put in place by Finish, so an
// encoder destroyed without Finish leaves nothing and an existing file as it
// was. Every failure throws SaveError naming the file and the reason.
class VideoEncoder {
  public:
    VideoEncoder(const std::string& path, const EncoderSettings& settings);
    ~VideoEncoder();
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // The next frame, of the settings' size.
    void Add(const Bitmap& frame);
    // Writes the frames still in the encoder and the index, and puts the
    // file in place. A video needs at least one frame.
    void Finish();
    int64_t Frames() const { return frames_; }

  private:
    struct State;
    [[noreturn]] void Fail(const std::string& reason) const;

    std::string path_;
    EncoderSettings settings_;
    std::unique_ptr<State> state_;
    int64_t frames_ = 0;
};

}  // namespace galleri
