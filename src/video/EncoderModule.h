#pragma once

// The C interface of the video encoder module (galleri-video-encoder.so),
// which holds everything that needs FFmpeg's libraries. The programs load it
// only when they make a video: linked in, FFmpeg and its codecs would be
// mapped by every galleri-render run, a still's too (some 150 MB more
// address space before main).

extern "C" {

struct GalleriVideoEncoder;

// Opens a video file by FFmpeg's name for it ("file:PATH") and its encoder:
// format 0 is H.264 (libx264) in MP4 with the index in front, 1 VP9
// (libvpx) in WebM; yuv420p, BT.709, constant quality `crf`. Null, with the
// reason in `error`, when it cannot.
GalleriVideoEncoder* GalleriVideoOpen(const char* url, int format, int width, int height, int fps,
                                      int crf, char* error, int errorSize);
// The next frame: width * height pixels of red, green and blue bytes, rows
// from the top. 0 when done, else -1 with the reason in `error`.
int GalleriVideoAdd(GalleriVideoEncoder* encoder, const unsigned char* rgb, char* error,
                    int errorSize);
// Writes the frames still in the encoder and the index; 0 when done.
int GalleriVideoFinish(GalleriVideoEncoder* encoder, char* error, int errorSize);
void GalleriVideoClose(GalleriVideoEncoder* encoder);

// The names the programs look the functions up by.
#define GALLERI_VIDEO_OPEN "GalleriVideoOpen"
#define GALLERI_VIDEO_ADD "GalleriVideoAdd"
#define GALLERI_VIDEO_FINISH "GalleriVideoFinish"
#define GALLERI_VIDEO_CLOSE "GalleriVideoClose"
}
