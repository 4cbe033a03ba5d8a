#pragma once

// Decodes a video file back into pictures with FFmpeg's libraries, for the
// tests of what the encoder wrote. Header-only.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <cmath>
#include <string>
#include <vector>

#include "surface/Bitmap.h"

namespace galleri::testsupport {

struct DecodedVideo {
    std::string codec;  // "h264", "vp9"
    int width = 0, height = 0;
    AVRational frameRate{0, 1};
    std::vector<Bitmap> frames;
    std::string error;  // empty when the file decoded
};

inline DecodedVideo DecodeVideo(const std::string& path) {
    DecodedVideo out;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(format, nullptr) < 0) {
        out.error = "cannot open";
        avformat_close_input(&format);
        return out;
    }
    const AVCodec* decoder = nullptr;
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (index < 0) {
        out.error = "no video stream";
        avformat_close_input(&format);
        return out;
    }
    const AVStream* stream = format->streams[index];
    out.codec = avcodec_get_name(stream->codecpar->codec_id);
    out.frameRate = stream->avg_frame_rate;
    AVCodecContext* codec = avcodec_alloc_context3(decoder);
    avcodec_parameters_to_context(codec, stream->codecpar);
    avcodec_open2(codec, decoder, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    SwsContext* scale = nullptr;
    const auto take = [&] {
        while (avcodec_receive_frame(codec, frame) == 0) {
            out.width = frame->width;
            out.height = frame->height;
            scale = sws_getCachedContext(
                scale, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                frame->width, frame->height, AV_PIX_FMT_RGB24,
                SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr, nullptr);
            sws_setColorspaceDetails(scale, sws_getCoefficients(SWS_CS_ITU709), 0,
                                     sws_getCoefficients(SWS_CS_ITU709), 1, 0, 1 << 16, 1 << 16);
            std::vector<uint8_t> rgb(static_cast<size_t>(frame->width) * frame->height * 3);
            uint8_t* planes[1] = {rgb.data()};
            const int stride[1] = {frame->width * 3};
            sws_scale(scale, frame->data, frame->linesize, 0, frame->height, planes, stride);
            Bitmap picture(frame->width, frame->height);
            for (int y = 0; y < frame->height; ++y) {
                for (int x = 0; x < frame->width; ++x) {
                    const uint8_t* p = &rgb[(static_cast<size_t>(y) * frame->width + x) * 3];
                    picture.Set(x, y, uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16);
                }
            }
            out.frames.push_back(std::move(picture));
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == index) {
            avcodec_send_packet(codec, packet);
            take();
        }
        av_packet_unref(packet);
    }
    avcodec_send_packet(codec, nullptr);
    take();
    sws_freeContext(scale);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    return out;
}

// The peak signal-to-noise ratio of two pictures of one size in dB, over
// their brightness (BT.709's luma), which a video keeps at every pixel
// where it halves the colours' resolution; infinite when they are equal.
inline double LumaPsnr(const Bitmap& a, const Bitmap& b) {
    const auto luma = [](uint32_t c) {
        return 0.2126 * static_cast<double>(c & 0xFF) +
               0.7152 * static_cast<double>((c >> 8) & 0xFF) +
               0.0722 * static_cast<double>((c >> 16) & 0xFF);
    };
    double sum = 0;
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            const double d = luma(a.Get(x, y)) - luma(b.Get(x, y));
            sum += d * d;
        }
    }
    const double mse = sum / (static_cast<double>(a.Width()) * a.Height());
    return mse == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace galleri::testsupport
