#include "image/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <exception>
#include <string>

#include <jpeglib.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr library;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// libjpeg's fatal errors come back here; the decoder is unwound with longjmp,
// the only way out of the C library that leaves it in a state that can be
// destroyed.
void ErrorExit(j_common_ptr common) {
    ErrorManager* manager = reinterpret_cast<ErrorManager*>(common->err);
    common->err->format_message(common, manager->message);
    std::longjmp(manager->jump, 1);
}

// Warnings (extra bytes, a stream that ends early) are not fatal: the picture
// is shown as far as it decodes, as other viewers do.
void EmitMessage(j_common_ptr, int) {}

// The decoder state lives outside the function that calls setjmp, so nothing
// with a destructor is skipped by the jump.
struct Decoder {
    jpeg_decompress_struct info;
    ErrorManager errors;
    bool created = false;
    ~Decoder() {
        if (created) jpeg_destroy_decompress(&info);
    }
};

void InstallErrorManager(Decoder& decoder) {
    decoder.info.err = jpeg_std_error(&decoder.errors.library);
    decoder.errors.library.error_exit = ErrorExit;
    decoder.errors.library.emit_message = EmitMessage;
    decoder.errors.message[0] = '\0';
}

// Creates the decompressor over the data and reads the header. Called after
// the caller's setjmp, so the library's errors unwind to the caller.
void OpenStream(Decoder& decoder, const uint8_t* data, size_t size) {
    jpeg_create_decompress(&decoder.info);
    decoder.created = true;
    decoder.info.mem->max_memory_to_use = static_cast<long>(kMaxJpegWorkBytes);
    jpeg_mem_src(&decoder.info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&decoder.info, TRUE);
}

void Decode(const uint8_t* data, size_t size, bool quantize, int denominator, JpegSink& sink) {
    if (size == 0) throw JpegError("Empty JPEG data");
    Decoder decoder;
    std::exception_ptr sinkError;
    PixelFormat output;
    InstallErrorManager(decoder);
    if (setjmp(decoder.errors.jump)) throw JpegError(decoder.errors.message);
    OpenStream(decoder, data, size);

    decoder.info.scale_num = 1;
    decoder.info.scale_denom = static_cast<unsigned>(denominator);
    decoder.info.dct_method = JDCT_ISLOW;
    decoder.info.do_block_smoothing = TRUE;
    decoder.info.buffered_image = FALSE;
    if (quantize) {
        decoder.info.out_color_space = JCS_RGB;
        decoder.info.quantize_colors = TRUE;
        decoder.info.desired_number_of_colors = 236;
    } else {
#ifdef JCS_EXTENSIONS
        decoder.info.out_color_space = JCS_EXT_BGR;  // 24-bit RGB pixels in the order of a DIB
#else
        decoder.info.out_color_space = JCS_RGB;
#endif
    }
    jpeg_start_decompress(&decoder.info);

    output.width = static_cast<int32_t>(decoder.info.output_width);
    output.height = static_cast<int32_t>(decoder.info.output_height);
    output.bitsPerPixel = quantize ? 8 : 24;
    if (quantize) {
        for (int i = 0; i < decoder.info.actual_number_of_colors; ++i) {
            const auto channel = [&](int c) {
                const int component = decoder.info.out_color_components == 1 ? 0 : c;
                return static_cast<uint8_t>(decoder.info.colormap[component][i]);
            };
            output.palette.push_back(PaletteEntry{channel(2), channel(1), channel(0), 0});
        }
    }
    try {
        sink.Begin(output);
    } catch (...) {
        sinkError = std::current_exception();
    }
    while (!sinkError && decoder.info.output_scanline < decoder.info.output_height) {
        const int32_t y = static_cast<int32_t>(decoder.info.output_scanline);
        uint8_t* row = nullptr;
        try {
            row = sink.RowBuffer(y);
        } catch (...) {
            sinkError = std::current_exception();
            break;
        }
        JSAMPROW rows[1] = {row};
        jpeg_read_scanlines(&decoder.info, rows, 1);
#if !defined(JCS_EXTENSIONS)
        if (!quantize)
            for (int32_t x = 0; x < output.width; ++x) std::swap(row[3 * x], row[3 * x + 2]);
#endif
        try {
            sink.RowDone(y);
        } catch (...) {
            sinkError = std::current_exception();
        }
    }
    if (sinkError) std::rethrow_exception(sinkError);
    jpeg_finish_decompress(&decoder.info);
}

}  // namespace

void DecodeJpeg(const uint8_t* data, size_t size, bool quantize, JpegSink& sink) {
    Decode(data, size, quantize, 1, sink);
}

void DecodeJpegScaled(const uint8_t* data, size_t size, int denominator, JpegSink& sink) {
    if (denominator != 1 && denominator != 2 && denominator != 4 && denominator != 8)
        throw JpegError("Unsupported JPEG scale");
    Decode(data, size, false, denominator, sink);
}

JpegSize ReadJpegSize(const uint8_t* data, size_t size) {
    if (size == 0) throw JpegError("Empty JPEG data");
    Decoder decoder;
    InstallErrorManager(decoder);
    if (setjmp(decoder.errors.jump)) throw JpegError(decoder.errors.message);
    OpenStream(decoder, data, size);
    return JpegSize{static_cast<int32_t>(decoder.info.image_width), static_cast<int32_t>(decoder.info.image_height)};
}

Bitmap DecodeJpeg(const uint8_t* data, size_t size, bool quantize) {
    class WholeBitmap final : public JpegSink {
    public:
        Bitmap bitmap;
        void Begin(const PixelFormat& output) override {
            bitmap.Reset(output.width, output.height, output.bitsPerPixel);
            bitmap.palette = output.palette;
        }
        uint8_t* RowBuffer(int32_t y) override { return bitmap.Row(y); }
    } sink;
    DecodeJpeg(data, size, quantize, sink);
    return std::move(sink.bitmap);
}
