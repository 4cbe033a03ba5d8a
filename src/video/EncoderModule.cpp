// The video encoder module: FFmpeg's libraries behind the C interface of
// EncoderModule.h.

#include "video/EncoderModule.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <new>
#include <string>
#include <thread>

struct GalleriVideoEncoder {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scale = nullptr;
    int width = 0;
    int height = 0;
    int64_t frames = 0;

    ~GalleriVideoEncoder() {
        sws_freeContext(scale);
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&codec);
        if (format != nullptr) {
            avio_closep(&format->pb);
            avformat_free_context(format);
        }
    }
};

namespace {

// A failed step: the reason into the caller's buffer.
struct Failure {
    std::string reason;
};

void Check(int status, const char* what) {
    if (status < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(status, text, sizeof text);
        throw Failure{std::string(what) + ": " + text};
    }
}

void Tell(const std::string& reason, char* error, int size) {
    if (error != nullptr && size > 0) {
        std::snprintf(error, static_cast<size_t>(size), "%s", reason.c_str());
    }
}

void SetColours(AVCodecContext* c) {
    c->color_range = AVCOL_RANGE_MPEG;
    c->color_primaries = AVCOL_PRI_BT709;
    c->color_trc = AVCOL_TRC_BT709;
    c->colorspace = AVCOL_SPC_BT709;
}

void Open(GalleriVideoEncoder& s, const char* url, bool mp4, int width, int height, int fps,
          int crf) {
    s.width = width;
    s.height = height;
    const char* name = mp4 ? "libx264" : "libvpx-vp9";
    const AVCodec* encoder = avcodec_find_encoder_by_name(name);
    if (encoder == nullptr) {
        throw Failure{std::string("this FFmpeg has no ") + name + " encoder"};
    }
    Check(avformat_alloc_output_context2(&s.format, nullptr, mp4 ? "mp4" : "webm", url),
          "cannot set up the container");
    s.codec = avcodec_alloc_context3(encoder);
    if (s.codec == nullptr) {
        throw std::bad_alloc();
    }
    s.codec->width = width;
    s.codec->height = height;
    s.codec->time_base = AVRational{1, fps};
    s.codec->framerate = AVRational{fps, 1};
    s.codec->pix_fmt = AV_PIX_FMT_YUV420P;
    SetColours(s.codec);
    if ((s.format->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
        s.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (mp4) {
        s.codec->thread_count = 0;  // x264's own choice: one and a half a core
        av_opt_set(s.codec->priv_data, "preset", "fast", 0);
        av_opt_set_double(s.codec->priv_data, "crf", crf, 0);
    } else {
        // Constant quality: a quality number and no bit rate.
        s.codec->bit_rate = 0;
        s.codec->thread_count = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
        av_opt_set_int(s.codec->priv_data, "crf", crf, 0);
        av_opt_set(s.codec->priv_data, "deadline", "good", 0);
        av_opt_set_int(s.codec->priv_data, "cpu-used", 4, 0);
        av_opt_set_int(s.codec->priv_data, "row-mt", 1, 0);
    }
    Check(avcodec_open2(s.codec, encoder, nullptr), "cannot start the encoder");
    s.stream = avformat_new_stream(s.format, nullptr);
    if (s.stream == nullptr) {
        throw std::bad_alloc();
    }
    s.stream->time_base = s.codec->time_base;
    Check(avcodec_parameters_from_context(s.stream->codecpar, s.codec), "cannot set up the stream");
    Check(avio_open(&s.format->pb, url, AVIO_FLAG_WRITE), "cannot open the file");
    AVDictionary* options = nullptr;
    if (mp4) {
        // The index in front, so that a browser plays the video as it loads.
        av_dict_set(&options, "movflags", "+faststart", 0);
    }
    const int header = avformat_write_header(s.format, &options);
    av_dict_free(&options);
    Check(header, "cannot write the header");

    s.frame = av_frame_alloc();
    s.packet = av_packet_alloc();
    if (s.frame == nullptr || s.packet == nullptr) {
        throw std::bad_alloc();
    }
    s.frame->format = AV_PIX_FMT_YUV420P;
    s.frame->width = width;
    s.frame->height = height;
    s.frame->color_range = AVCOL_RANGE_MPEG;
    s.frame->color_primaries = AVCOL_PRI_BT709;
    s.frame->color_trc = AVCOL_TRC_BT709;
    s.frame->colorspace = AVCOL_SPC_BT709;
    Check(av_frame_get_buffer(s.frame, 0), "cannot make a frame");
    s.scale = sws_getContext(width, height, AV_PIX_FMT_RGB24, width, height, AV_PIX_FMT_YUV420P,
                             SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INP, nullptr, nullptr,
                             nullptr);
    if (s.scale == nullptr) {
        throw Failure{"cannot set up the colour conversion"};
    }
    // Full-range RGB to the limited-range BT.709 the stream is tagged with.
    sws_setColorspaceDetails(s.scale, sws_getCoefficients(SWS_CS_ITU709), 1,
                             sws_getCoefficients(SWS_CS_ITU709), 0, 0, 1 << 16, 1 << 16);
}

void Drain(GalleriVideoEncoder& s, bool flushing) {
    for (;;) {
        const int status = avcodec_receive_packet(s.codec, s.packet);
        if (status == AVERROR(EAGAIN) || (flushing && status == AVERROR_EOF)) {
            return;
        }
        Check(status, "cannot encode");
        // Every frame lasts one frame's time; without it the container's
        // edit list would end the video before its last frame.
        if (s.packet->duration == 0) {
            s.packet->duration = 1;
        }
        av_packet_rescale_ts(s.packet, s.codec->time_base, s.stream->time_base);
        s.packet->stream_index = s.stream->index;
        Check(av_interleaved_write_frame(s.format, s.packet), "cannot write");
    }
}

// Runs a step, turning what it throws into the reason and a failed status.
template <typename Step>
int Guarded(char* error, int size, Step step) {
    try {
        step();
        return 0;
    } catch (const Failure& f) {
        Tell(f.reason, error, size);
    } catch (const std::bad_alloc&) {
        Tell("not enough memory", error, size);
    }
    return -1;
}

}  // namespace

extern "C" {

GalleriVideoEncoder* GalleriVideoOpen(const char* url, int format, int width, int height, int fps,
                                      int crf, char* error, int errorSize) {
    // The encoders' chatter stays off the terminal; what fails is told in
    // one line from the status FFmpeg returns.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
    auto* encoder = new (std::nothrow) GalleriVideoEncoder;
    if (encoder == nullptr) {
        Tell("not enough memory", error, errorSize);
        return nullptr;
    }
    if (Guarded(error, errorSize,
                [&] { Open(*encoder, url, format == 0, width, height, fps, crf); }) != 0) {
        delete encoder;
        return nullptr;
    }
    return encoder;
}

int GalleriVideoAdd(GalleriVideoEncoder* s, const unsigned char* rgb, char* error, int errorSize) {
    return Guarded(error, errorSize, [&] {
        Check(av_frame_make_writable(s->frame), "cannot reuse a frame");
        const uint8_t* source[1] = {rgb};
        const int stride[1] = {s->width * 3};
        sws_scale(s->scale, source, stride, 0, s->height, s->frame->data, s->frame->linesize);
        s->frame->pts = s->frames++;
        Check(avcodec_send_frame(s->codec, s->frame), "cannot encode");
        Drain(*s, false);
    });
}

int GalleriVideoFinish(GalleriVideoEncoder* s, char* error, int errorSize) {
    return Guarded(error, errorSize, [&] {
        Check(avcodec_send_frame(s->codec, nullptr), "cannot encode");
        Drain(*s, true);
        Check(av_write_trailer(s->format), "cannot write the index");
        const int written = s->format->pb->error;
        Check(avio_closep(&s->format->pb), "cannot write");
        Check(written, "cannot write");
    });
}

void GalleriVideoClose(GalleriVideoEncoder* encoder) {
    delete encoder;
}
}
