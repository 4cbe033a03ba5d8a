#include "video/VideoEncoder.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <mutex>
#include <vector>

#include "surface/OutputFile.h"
#include "surface/SaveError.h"
#include "video/EncoderModule.h"

namespace galleri {

int DefaultCrf(VideoFormat format) {
    return format == VideoFormat::Mp4 ? 20 : 32;
}

int MostCrf(VideoFormat format) {
    return format == VideoFormat::Mp4 ? 51 : 63;
}

const char* CodecName(VideoFormat format) {
    return format == VideoFormat::Mp4 ? "H.264" : "VP9";
}

namespace {

// The module's functions, once it is loaded.
struct Module {
    decltype(&GalleriVideoOpen) open = nullptr;
    decltype(&GalleriVideoAdd) add = nullptr;
    decltype(&GalleriVideoFinish) finish = nullptr;
    decltype(&GalleriVideoClose) close = nullptr;
    std::string error;  // why it could not be loaded
};

// The folder of the running program.
std::string ProgramFolder() {
    std::string path(PATH_MAX, '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0) {
        return {};
    }
    path.resize(static_cast<size_t>(n));
    return path.substr(0, path.rfind('/') + 1);
}

// Installed, the module lies at its place beside the program's folder; in
// the build tree, where CMake built it.
const Module& LoadModule() {
    static Module module;
    static std::once_flag once;
    std::call_once(once, [] {
        void* handle = nullptr;
        std::string tried;
        for (const std::string& path :
             {ProgramFolder() + GALLERI_ENCODER_FROM_BIN, std::string(GALLERI_ENCODER_BUILT)}) {
            handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (handle != nullptr) {
                break;
            }
            if (access(path.c_str(), F_OK) == 0) {
                tried = dlerror();
            }
        }
        if (handle == nullptr) {
            module.error = "the video encoder module " GALLERI_ENCODER_NAME " cannot be loaded" +
                           (tried.empty() ? std::string(" (it is not installed)") : ": " + tried);
            return;
        }
        module.open = reinterpret_cast<decltype(module.open)>(dlsym(handle, GALLERI_VIDEO_OPEN));
        module.add = reinterpret_cast<decltype(module.add)>(dlsym(handle, GALLERI_VIDEO_ADD));
        module.finish =
            reinterpret_cast<decltype(module.finish)>(dlsym(handle, GALLERI_VIDEO_FINISH));
        module.close = reinterpret_cast<decltype(module.close)>(dlsym(handle, GALLERI_VIDEO_CLOSE));
        if (!module.open || !module.add || !module.finish || !module.close) {
            module.open = nullptr;
            module.error =
                "the video encoder module " GALLERI_ENCODER_NAME " is not this program's";
        }
    });
    return module;
}

constexpr int kErrorSize = 512;

}  // namespace

void LoadVideoEncoder() {
    LoadModule();
}

struct VideoEncoder::State {
    std::unique_ptr<OutputFile> file;
    GalleriVideoEncoder* encoder = nullptr;
    std::vector<unsigned char> rgb;  // one picture as red, green, blue bytes

    ~State() {
        if (encoder != nullptr) {
            LoadModule().close(encoder);
        }
    }
};

void VideoEncoder::Fail(const std::string& reason) const {
    throw SaveError(path_, reason);
}

VideoEncoder::VideoEncoder(const std::string& path, const EncoderSettings& settings)
    : path_(path), settings_(settings), state_(std::make_unique<State>()) {
    const Module& module = LoadModule();
    if (module.open == nullptr) {
        Fail(module.error);
    }
    State& s = *state_;
    s.file = std::make_unique<OutputFile>(path);
    if (s.file->TempPath().empty()) {
        Fail("a video is written to a file, not to a device or a pipe");
    }
    // FFmpeg opens the file by its name: "file:" keeps a name with a colon
    // from being read as another protocol.
    const std::string url = "file:" + s.file->TempPath();
    char error[kErrorSize] = {};
    s.encoder =
        module.open(url.c_str(), settings.format == VideoFormat::Mp4 ? 0 : 1, settings.width,
                    settings.height, settings.fps, settings.crf, error, kErrorSize);
    if (s.encoder == nullptr) {
        Fail(std::string(CodecName(settings.format)) + ": " + error);
    }
    s.rgb.resize(static_cast<size_t>(settings.width) * settings.height * 3);
}

VideoEncoder::~VideoEncoder() = default;

void VideoEncoder::Add(const Bitmap& picture) {
    State& s = *state_;
    if (picture.Width() != settings_.width || picture.Height() != settings_.height) {
        Fail("a frame of " + std::to_string(picture.Width()) + "x" +
             std::to_string(picture.Height()) + " in a video of " +
             std::to_string(settings_.width) + "x" + std::to_string(settings_.height));
    }
    const size_t stride = static_cast<size_t>(settings_.width) * 3;
    for (int y = 0; y < settings_.height; ++y) {
        picture.RgbRow(y, s.rgb.data() + y * stride);
    }
    char error[kErrorSize] = {};
    if (LoadModule().add(s.encoder, s.rgb.data(), error, kErrorSize) != 0) {
        Fail(error);
    }
    ++frames_;
}

void VideoEncoder::Finish() {
    State& s = *state_;
    if (frames_ == 0) {
        Fail("a video needs at least one frame");
    }
    char error[kErrorSize] = {};
    if (LoadModule().finish(s.encoder, error, kErrorSize) != 0) {
        Fail(error);
    }
    s.file->Commit();
}

}  // namespace galleri
