#include "surface/JpegEncoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace galleri {

namespace {

// libjpeg reports a fatal error through error_exit, which must not return.
// It jumps back to the encoder's set-up point; the frames in between are
// libjpeg's own C frames, so no C++ destructor is skipped.
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
// setjmp, so its values are well defined after a jump.
struct EncodeState {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    unsigned char* row = nullptr;
};

// Only trivially destructible locals: a longjmp out of libjpeg lands here.
bool Encode(EncodeState& st, const Bitmap& picture) {
    st.cinfo.err = jpeg_std_error(&st.err.pub);
    st.err.pub.error_exit = ErrorExit;
    st.err.pub.output_message = OutputMessage;
    st.err.message[0] = '\0';
    if (setjmp(st.err.jump) != 0) {
        return false;
    }
    jpeg_create_compress(&st.cinfo);
    jpeg_mem_dest(&st.cinfo, &st.buffer, &st.size);

    st.cinfo.image_width = static_cast<JDIMENSION>(picture.Width());
    st.cinfo.image_height = static_cast<JDIMENSION>(picture.Height());
    st.cinfo.input_components = 3;
    st.cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&st.cinfo);
    jpeg_set_quality(&st.cinfo, 90, TRUE);
    jpeg_start_compress(&st.cinfo, TRUE);

    while (st.cinfo.next_scanline < st.cinfo.image_height) {
        const uint32_t* src = picture.Row(static_cast<int>(st.cinfo.next_scanline));
        // Red is the lowest byte of a colour value; the top byte is unused.
        for (int x = 0; x < picture.Width(); ++x) {
            st.row[3 * x] = static_cast<unsigned char>(src[x] & 0xFF);
            st.row[3 * x + 1] = static_cast<unsigned char>((src[x] >> 8) & 0xFF);
            st.row[3 * x + 2] = static_cast<unsigned char>((src[x] >> 16) & 0xFF);
        }
        JSAMPROW rows[1] = {st.row};
        jpeg_write_scanlines(&st.cinfo, rows, 1);
    }
    jpeg_finish_compress(&st.cinfo);
    return true;
}

}  // namespace

bool EncodeJpeg(const Bitmap& picture, std::vector<unsigned char>& out, std::string& reason) {
    std::vector<unsigned char> row(static_cast<size_t>(picture.Width()) * 3);
    EncodeState st{};
    st.row = row.data();
    const bool ok = Encode(st, picture);
    if (ok) {
        out.assign(st.buffer, st.buffer + st.size);
    } else {
        reason = st.err.message;
    }
    jpeg_destroy_compress(&st.cinfo);
    // The memory destination allocates with malloc and leaves its current
    // buffer in st.buffer, also after an error.
    std::free(st.buffer);
    return ok;
}

}  // namespace galleri
