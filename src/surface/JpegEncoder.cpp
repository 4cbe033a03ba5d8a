#include "surface/JpegEncoder.h"

#include <csetjmp>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace galleri {

namespace {

// What the encoder hands to the sink at a time, and so all it holds of the
// file.
constexpr size_t kBufferSize = 64 * 1024;
// A marker's length field counts itself: 65535 - 2 bytes of text at most.
constexpr size_t kMaxCommentBytes = 65533;

JpegFaultHook faultHook = nullptr;

// libjpeg reports a fatal error through error_exit, which must not return.
// It jumps back to the encoder's set-up point; the frames in between are
// libjpeg's C frames and callbacks with no live C++ objects, so no destructor
// is skipped.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings (none expected when encoding) are not printed.
void OutputMessage(j_common_ptr) {}

// Everything the encoder touches lives here, outside the frame that calls
// setjmp, so its values are well defined after a jump. The buffer and the row
// belong to EncodeJpeg: this is their only owner.
struct EncodeState {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    jpeg_destination_mgr dest;
    ByteSink* sink = nullptr;
    unsigned char* buffer = nullptr;
    unsigned char* row = nullptr;
    int flushes = 0;
    std::exception_ptr failure;  // what the sink threw
};

EncodeState& State(j_compress_ptr cinfo) {
    return *static_cast<EncodeState*>(cinfo->client_data);
}

// Hands the first `size` bytes of the buffer to the sink. A sink that throws
// cannot unwind through libjpeg: its exception is kept, and a libjpeg error
// jumps back to the set-up point, where it is thrown again.
void Flush(EncodeState& st, size_t size) {
    try {
        st.sink->Write(st.buffer, size);
    } catch (...) {
        st.failure = std::current_exception();
    }
    if (st.failure) {
        ERREXIT(&st.cinfo, JERR_FILE_WRITE);
    }
}

void InitDestination(j_compress_ptr cinfo) {
    EncodeState& st = State(cinfo);
    st.dest.next_output_byte = st.buffer;
    st.dest.free_in_buffer = kBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    EncodeState& st = State(cinfo);
    ++st.flushes;
    if (faultHook != nullptr && faultHook(st.flushes)) {
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 99);
    }
    // libjpeg asks for the whole buffer to go, whatever the pointers say.
    Flush(st, kBufferSize);
    st.dest.next_output_byte = st.buffer;
    st.dest.free_in_buffer = kBufferSize;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    EncodeState& st = State(cinfo);
    Flush(st, kBufferSize - st.dest.free_in_buffer);
}

// Only trivially destructible locals: a longjmp out of libjpeg lands here.
bool Encode(EncodeState& st, const Bitmap& picture, std::string_view text) {
    st.cinfo.err = jpeg_std_error(&st.err.pub);
    st.err.pub.error_exit = ErrorExit;
    st.err.pub.output_message = OutputMessage;
    st.err.message[0] = '\0';
    if (setjmp(st.err.jump) != 0) {
        return false;
    }
    jpeg_create_compress(&st.cinfo);
    st.cinfo.client_data = &st;
    st.dest.init_destination = InitDestination;
    st.dest.empty_output_buffer = EmptyOutputBuffer;
    st.dest.term_destination = TermDestination;
    st.cinfo.dest = &st.dest;

    st.cinfo.image_width = static_cast<JDIMENSION>(picture.Width());
    st.cinfo.image_height = static_cast<JDIMENSION>(picture.Height());
    st.cinfo.input_components = 3;
    st.cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&st.cinfo);
    jpeg_set_quality(&st.cinfo, 90, TRUE);
    jpeg_start_compress(&st.cinfo, TRUE);
    if (!text.empty()) {
        jpeg_write_marker(&st.cinfo, JPEG_COM, reinterpret_cast<const JOCTET*>(text.data()),
                          static_cast<unsigned int>(text.size()));
    }

    while (st.cinfo.next_scanline < st.cinfo.image_height) {
        picture.RgbRow(static_cast<int>(st.cinfo.next_scanline), st.row);
        JSAMPROW rows[1] = {st.row};
        jpeg_write_scanlines(&st.cinfo, rows, 1);
    }
    jpeg_finish_compress(&st.cinfo);
    return true;
}

}  // namespace

void EncodeJpeg(const Bitmap& picture, ByteSink& out, std::string_view text) {
    if (text.size() > kMaxCommentBytes) {
        throw EncodeError("the text is longer than the " + std::to_string(kMaxCommentBytes) +
                          " bytes a JPEG comment holds");
    }
    std::vector<unsigned char> buffer(kBufferSize);
    std::vector<unsigned char> row(static_cast<size_t>(picture.Width()) * 3);
    const auto st = std::make_unique<EncodeState>();
    st->sink = &out;
    st->buffer = buffer.data();
    st->row = row.data();
    const bool ok = Encode(*st, picture, text);
    jpeg_destroy_compress(&st->cinfo);
    if (st->failure) {
        std::rethrow_exception(st->failure);
    }
    if (!ok) {
        throw EncodeError(st->err.message);
    }
}

void SetJpegFaultHook(JpegFaultHook hook) {
    faultHook = hook;
}

}  // namespace galleri
