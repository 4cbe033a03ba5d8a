#include "surface/PngEncoder.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <vector>

namespace galleri {

namespace {

// The error handler and the writer report to this; it lives outside the
// frame that calls setjmp.
struct PngState {
    ByteSink* sink = nullptr;
    std::exception_ptr failure;  // what the sink threw
    char message[256] = {};
};

PngState& State(png_structp png, bool io) {
    return *static_cast<PngState*>(io ? png_get_io_ptr(png) : png_get_error_ptr(png));
}

// libpng's errors jump back to the set-up point; nothing is printed, the
// caller turns the message into one line.
void OnError(png_structp png, png_const_charp message) {
    std::strncpy(State(png, false).message, message, sizeof(PngState::message) - 1);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// A sink that throws cannot unwind through libpng: its exception is kept and
// thrown again once libpng has jumped back.
void WriteData(png_structp png, png_bytep data, size_t length) {
    PngState& st = State(png, true);
    try {
        st.sink->Write(data, length);
    } catch (...) {
        st.failure = std::current_exception();
    }
    if (st.failure) {
        png_error(png, "write failed");
    }
}

void FlushData(png_structp) {}

// Only trivially destructible locals: a longjmp out of libpng lands here.
bool Encode(png_structp png, png_infop info, const Bitmap& picture, unsigned char* row,
            Resolution resolution, png_text* text, int texts) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.Width()),
                 static_cast<png_uint_32>(picture.Height()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (resolution.dotsPerMeterX > 0 || resolution.dotsPerMeterY > 0) {
        png_set_pHYs(png, info, static_cast<png_uint_32>(resolution.dotsPerMeterX),
                     static_cast<png_uint_32>(resolution.dotsPerMeterY), PNG_RESOLUTION_METER);
    }
    if (texts > 0) {
        png_set_text(png, info, text, texts);
    }
    png_write_info(png, info);
    for (int y = 0; y < picture.Height(); ++y) {
        picture.RgbRow(y, row);
        png_write_row(png, row);
    }
    png_write_end(png, info);
    return true;
}

}  // namespace

void EncodePng(const Bitmap& picture, ByteSink& out, Resolution resolution, std::string_view text) {
    const PngTextChunk chunk{"Galleri", text};
    EncodePng(picture, out, resolution,
              text.empty() ? std::span<const PngTextChunk>() : std::span(&chunk, 1));
}

void EncodePng(const Bitmap& picture, ByteSink& out, Resolution resolution,
               std::span<const PngTextChunk> chunks) {
    PngState st;
    st.sink = &out;
    std::vector<unsigned char> row(static_cast<size_t>(picture.Width()) * 3);
    std::vector<std::string> strings;  // libpng takes char*, not const
    strings.reserve(chunks.size() * 2);
    std::vector<png_text> texts(chunks.size());
    for (size_t k = 0; k < chunks.size(); ++k) {
        std::string& keyword = strings.emplace_back(chunks[k].keyword);
        std::string& value = strings.emplace_back(chunks[k].text);
        png_text& chunk = texts[k];
        chunk.key = keyword.data();
        chunk.text = value.data();
        const bool ascii = std::all_of(value.begin(), value.end(),
                                       [](char c) { return (c >= 0x20 && c < 0x7F) || c == '\n'; });
        if (ascii) {
            chunk.compression = PNG_TEXT_COMPRESSION_NONE;
            chunk.text_length = value.size();
        } else {
            chunk.compression = PNG_ITXT_COMPRESSION_NONE;
            chunk.itxt_length = value.size();
        }
    }

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &st, OnError, OnWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        throw std::bad_alloc();
    }
    png_set_write_fn(png, &st, WriteData, FlushData);
    const bool ok = Encode(png, info, picture, row.data(), resolution, texts.data(),
                           static_cast<int>(texts.size()));
    png_destroy_write_struct(&png, &info);
    if (st.failure) {
        std::rethrow_exception(st.failure);
    }
    if (!ok) {
        throw EncodeError(st.message);
    }
}

}  // namespace galleri
