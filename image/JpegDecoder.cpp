#include "image/JpegDecoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <utility>

#include "image/Exif.h"

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
    // The library's source of bytes: a piece of `source` at a time.
    jpeg_source_mgr reader;
    ByteSource* source = nullptr;
    uint64_t offset = 0;  // where the next piece starts
    uint64_t size = 0;
    std::vector<JOCTET> piece;
    std::exception_ptr readError;  // what the source threw
    ~Decoder() {
        if (created) jpeg_destroy_decompress(&info);
    }
};

Decoder& DecoderOf(j_decompress_ptr info) { return *static_cast<Decoder*>(info->client_data); }

void StartReading(j_decompress_ptr) {}
void StopReading(j_decompress_ptr) {}

// The next piece of the file. A file that ends early gets an end-of-image
// marker, as libjpeg's own readers give it, so the picture decodes as far as
// it goes. What the source throws is kept and the library unwound.
boolean ReadPiece(j_decompress_ptr info) {
    Decoder& decoder = DecoderOf(info);
    static const JOCTET kEnd[2] = {0xFF, JPEG_EOI};
    size_t count = 0;
    if (decoder.offset < decoder.size) {
        try {
            count = decoder.source->ReadAt(decoder.offset, decoder.piece.data(), decoder.piece.size());
        } catch (...) {
            decoder.readError = std::current_exception();
        }
        // Out of the handler before the jump.
        if (decoder.readError) info->err->error_exit(reinterpret_cast<j_common_ptr>(info));
    }
    decoder.offset += count;
    decoder.reader.next_input_byte = count ? decoder.piece.data() : kEnd;
    decoder.reader.bytes_in_buffer = count ? count : sizeof kEnd;
    return TRUE;
}

// Skipped bytes past the piece are never read.
void SkipBytes(j_decompress_ptr info, long count) {
    if (count <= 0) return;
    jpeg_source_mgr& reader = DecoderOf(info).reader;
    if (static_cast<size_t>(count) <= reader.bytes_in_buffer) {
        reader.next_input_byte += count;
        reader.bytes_in_buffer -= static_cast<size_t>(count);
        return;
    }
    DecoderOf(info).offset += static_cast<uint64_t>(count) - reader.bytes_in_buffer;
    reader.bytes_in_buffer = 0;
}

void InstallErrorManager(Decoder& decoder) {
    decoder.info.err = jpeg_std_error(&decoder.errors.library);
    decoder.errors.library.error_exit = ErrorExit;
    decoder.errors.library.emit_message = EmitMessage;
    decoder.errors.message[0] = '\0';
}

// Before the caller's setjmp: what the library's reader needs.
void PrepareReading(Decoder& decoder, ByteSource& source, size_t piece = kJpegReadPiece) {
    decoder.source = &source;
    decoder.size = source.Size();
    if (decoder.size == 0) throw JpegError("Empty JPEG data");
    decoder.piece.resize(static_cast<size_t>(std::min<uint64_t>(decoder.size, std::max<size_t>(piece, 1))));
    InstallErrorManager(decoder);
}

// The library's error, or what the source threw while the library read.
[[noreturn]] void ThrowFailure(const Decoder& decoder) {
    if (decoder.readError) std::rethrow_exception(decoder.readError);
    throw JpegError(decoder.errors.message);
}

// Creates the decompressor over the source and reads the header. Called after
// the caller's setjmp, so the library's errors unwind to the caller.
void OpenStream(Decoder& decoder) {
    jpeg_create_decompress(&decoder.info);
    decoder.created = true;
    decoder.info.client_data = &decoder;
    decoder.info.mem->max_memory_to_use = static_cast<long>(kMaxJpegWorkBytes);
    decoder.reader.init_source = StartReading;
    decoder.reader.fill_input_buffer = ReadPiece;
    decoder.reader.skip_input_data = SkipBytes;
    decoder.reader.resync_to_restart = jpeg_resync_to_restart;
    decoder.reader.term_source = StopReading;
    decoder.reader.bytes_in_buffer = 0;
    decoder.reader.next_input_byte = nullptr;
    decoder.info.src = &decoder.reader;
    // The Exif block, which the library keeps (at most one segment's 64 KiB).
    jpeg_save_markers(&decoder.info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&decoder.info, TRUE);
}

// The Exif orientation of the stream whose header is read.
int OrientationOf(const jpeg_decompress_struct& info) {
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next)
        if (marker->marker == JPEG_APP0 + 1 && marker->data_length >= 6 && std::memcmp(marker->data, "Exif\0", 6) == 0)
            return ExifOrientation(marker->data, marker->data_length);
    return 1;
}

bool Transposes(int orientation) { return orientation >= 5; }

// Rows as the decoder gives them (top-down, in the output's format), handed
// to the sink upright: turned or mirrored as the orientation asks.
class Orienter {
public:
    Orienter(PictureSink& sink, const PixelFormat& decoded, int orientation)
        : sink_(sink), decoded_(decoded), orientation_(orientation), pixel_(decoded.bitsPerPixel / 8) {
        PixelFormat upright = decoded;
        if (Transposes(orientation)) std::swap(upright.width, upright.height);
        upright_ = upright;
    }
    void Begin() {
        sink_.Begin(upright_);
        if (Transposes(orientation_)) {
            static_cast<PixelFormat&>(whole_) = decoded_;
            whole_.Reset(decoded_.width, decoded_.height, decoded_.bitsPerPixel);
        }
        row_.assign(upright_.Stride(), 0);
    }
    // Row `y` as decoded goes straight to the sink's memory (null: it cannot).
    uint8_t* Direct(int32_t y) {
        if (orientation_ == 1) return sink_.RowBuffer(y);
        if (orientation_ == 4) return sink_.RowBuffer(decoded_.height - 1 - y);
        return nullptr;
    }
    // Decoded row `y` stands at `row`; `direct`: where Direct put it.
    void Put(int32_t y, const uint8_t* row, bool direct) {
        const int32_t width = decoded_.width, height = decoded_.height;
        const size_t bytes = size_t(width) * pixel_;
        switch (orientation_) {
        case 1:
        case 4: {
            const int32_t target = orientation_ == 1 ? y : height - 1 - y;
            if (direct) return sink_.Row(target, row);
            uint8_t* out = sink_.RowBuffer(target);
            if (!out) return sink_.Row(target, row);
            std::memcpy(out, row, bytes);
            return sink_.Row(target, out);
        }
        case 2:
        case 3: {
            const int32_t target = orientation_ == 2 ? y : height - 1 - y;
            uint8_t* out = sink_.RowBuffer(target);
            if (!out) out = row_.data();
            for (int32_t x = 0; x < width; ++x)
                std::memcpy(out + size_t(width - 1 - x) * pixel_, row + size_t(x) * pixel_, pixel_);
            return sink_.Row(target, out);
        }
        default:
            std::memcpy(whole_.Row(y), row, bytes);
            if (y == height - 1) Transpose();
        }
    }

private:
    // Orientations 5 to 8 once the picture is whole: upright row `oy` is a
    // column of the decoded picture.
    // Upright rows are made a block at a time, each source row read once per
    // block: a column walk row by row would miss the cache at every pixel.
    void Transpose() {
        const int32_t width = decoded_.width, height = decoded_.height;
        const bool downwards = orientation_ == 5 || orientation_ == 8;  // upright x runs down the column
        const size_t rowBytes = size_t(height) * pixel_;
        constexpr int32_t kBlock = 32;
        std::vector<uint8_t> block(rowBytes * kBlock);
        for (int32_t first = 0; first < width; first += kBlock) {
            const int32_t rows = std::min(kBlock, width - first);
            for (int32_t ox = 0; ox < height; ++ox) {
                const uint8_t* source = whole_.Row(downwards ? ox : height - 1 - ox);
                uint8_t* target = block.data() + size_t(ox) * pixel_;
                for (int32_t i = 0; i < rows; ++i, target += rowBytes) {
                    const int32_t oy = first + i, sx = orientation_ <= 6 ? oy : width - 1 - oy;
                    const uint8_t* p = source + size_t(sx) * pixel_;
                    target[0] = p[0];
                    if (pixel_ == 3) target[1] = p[1], target[2] = p[2];
                }
            }
            for (int32_t i = 0; i < rows; ++i) {
                const uint8_t* made = block.data() + rowBytes * size_t(i);
                uint8_t* out = sink_.RowBuffer(first + i);
                if (!out) {
                    std::memcpy(row_.data(), made, rowBytes);  // whole rows of the format, padding included
                    out = row_.data();
                } else {
                    std::memcpy(out, made, rowBytes);
                }
                sink_.Row(first + i, out);
            }
        }
        whole_ = Bitmap();
    }

    PictureSink& sink_;
    PixelFormat decoded_, upright_;
    int orientation_;
    size_t pixel_;
    Bitmap whole_;              // orientations 5 to 8: the decoded picture
    std::vector<uint8_t> row_;  // a row where the sink gives no memory
};

// CMYK as the library gives it (inverted as Adobe writes it, or not) to
// blue-green-red: each channel (255 - C) × (255 - K) / 255, rounded.
void CmykToBgr(const uint8_t* cmyk, int32_t width, bool inverted, uint8_t* bgr) {
    for (int32_t x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const auto ink = [&](int c) { return inverted ? unsigned(cmyk[c]) : 255u - cmyk[c]; };  // 255 - ink
        const unsigned k = ink(3);
        for (int c = 0; c < 3; ++c) bgr[2 - c] = static_cast<uint8_t>((2 * ink(c) * k + 255) / 510);
    }
}

// Bytes in memory, read as a file.
class MemoryBytes final : public ByteSource {
public:
    MemoryBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint64_t Size() const override { return size_; }
    size_t ReadAt(uint64_t offset, void* data, size_t size) override {
        const size_t count = offset < size_ ? std::min(size, size_ - static_cast<size_t>(offset)) : 0;
        if (count) std::memcpy(data, data_ + offset, count);
        return count;
    }

private:
    const uint8_t* data_;
    size_t size_;
};

void Decode(ByteSource& source, bool quantizeAsked, int denominator, PictureSink& sink, size_t piece = kJpegReadPiece,
            int numerator = 1) {
    Decoder decoder;
    std::exception_ptr sinkError;
    PixelFormat output;
    std::vector<uint8_t> own;  // a row decoded where the sink gives no memory, or to convert
    // Everything that holds memory while rows are read lives from before the
    // jump point on: a library error jumps back there and throws, and only
    // what was made before it is unwound.
    std::vector<uint8_t> converted;
    std::optional<Orienter> rows;
    PrepareReading(decoder, source, piece);
    if (setjmp(decoder.errors.jump)) ThrowFailure(decoder);
    OpenStream(decoder);

    const int orientation = OrientationOf(decoder.info);
    const bool cmyk = decoder.info.jpeg_color_space == JCS_CMYK || decoder.info.jpeg_color_space == JCS_YCCK;
    const bool inverted = decoder.info.saw_Adobe_marker;
    const bool quantize = quantizeAsked && !cmyk;  // the library quantises RGB only
    decoder.info.scale_num = static_cast<unsigned>(numerator);
    decoder.info.scale_denom = static_cast<unsigned>(denominator);
    decoder.info.dct_method = JDCT_ISLOW;
    decoder.info.do_block_smoothing = TRUE;
    decoder.info.buffered_image = FALSE;
    if (cmyk) {
        decoder.info.out_color_space = JCS_CMYK;  // YCCK to CMYK by the library, to RGB here
    } else if (quantize) {
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
#ifdef JCS_EXTENSIONS
    const bool convert = cmyk;
#else
    const bool convert = cmyk || !quantize;
#endif
    rows.emplace(sink, output, orientation);
    try {
        rows->Begin();
        // Rows handed out are whole rows of the format, padding included.
        own.resize(std::max(output.Stride(), size_t(output.width) * (cmyk ? 4 : output.bitsPerPixel / 8)), 0);
        if (convert) converted.resize(output.Stride(), 0);
    } catch (...) {
        sinkError = std::current_exception();
    }
    while (!sinkError && decoder.info.output_scanline < decoder.info.output_height) {
        const int32_t y = static_cast<int32_t>(decoder.info.output_scanline);
        uint8_t* row = nullptr;
        try {
            if (!convert) row = rows->Direct(y);
        } catch (...) {
            sinkError = std::current_exception();
            break;
        }
        const bool direct = row != nullptr;
        if (!row) row = own.data();
        JSAMPROW scanlines[1] = {row};
        jpeg_read_scanlines(&decoder.info, scanlines, 1);
        const uint8_t* put = row;
        if (cmyk) {
            CmykToBgr(row, output.width, inverted, converted.data());
            put = converted.data();
        } else if (convert) {
            for (int32_t x = 0; x < output.width; ++x) {
                converted[3 * x] = row[3 * x + 2];
                converted[3 * x + 1] = row[3 * x + 1];
                converted[3 * x + 2] = row[3 * x];
            }
            put = converted.data();
        }
        try {
            rows->Put(y, put, direct);
        } catch (...) {
            sinkError = std::current_exception();
        }
    }
    if (sinkError) std::rethrow_exception(sinkError);
    jpeg_finish_decompress(&decoder.info);
}

class JpegReader final : public PictureReader {
public:
    explicit JpegReader(ByteSource& source) : source_(source) {}
    PictureHeader Header() override {
        const JpegSize size = ReadJpegSize(source_);
        PictureHeader header{size.width, size.height, 24, size.wholeCoefficientBytes, true};
        if (Transposes(size.orientation)) header.wholeBytes += uint64_t(size.width) * uint64_t(size.height) * 3;
        return header;
    }
    void Rows(PictureSink& sink, const ReadOptions& options) override {
        const int d = options.denominator, n = options.numerator;
        if (d == 8 && n >= 1 && n <= 8)  // the library's scaled inverse DCTs: any eighth of the size
            Decode(source_, options.quantize, 8, sink, kJpegReadPiece, n);
        else
            Decode(source_, options.quantize, n == 1 && (d == 2 || d == 4 || d == 8) ? d : 1, sink);
    }

private:
    ByteSource& source_;
};

}  // namespace

void DecodeJpeg(ByteSource& source, bool quantize, PictureSink& sink, size_t piece) {
    Decode(source, quantize, 1, sink, piece);
}

void DecodeJpeg(const uint8_t* data, size_t size, bool quantize, PictureSink& sink) {
    MemoryBytes source(data, size);
    Decode(source, quantize, 1, sink);
}

void DecodeJpegScaled(ByteSource& source, int denominator, PictureSink& sink) {
    if (denominator != 1 && denominator != 2 && denominator != 4 && denominator != 8)
        throw JpegError("Unsupported JPEG scale");
    Decode(source, false, denominator, sink);
}

void DecodeJpegScaled(const uint8_t* data, size_t size, int denominator, PictureSink& sink) {
    MemoryBytes source(data, size);
    DecodeJpegScaled(source, denominator, sink);
}

JpegSize ReadJpegSize(ByteSource& source) {
    Decoder decoder;
    PrepareReading(decoder, source);
    if (setjmp(decoder.errors.jump)) ThrowFailure(decoder);
    OpenStream(decoder);
    JpegSize size{static_cast<int32_t>(decoder.info.image_width), static_cast<int32_t>(decoder.info.image_height),
                  OrientationOf(decoder.info)};
    if (Transposes(size.orientation)) std::swap(size.width, size.height);
    if (jpeg_has_multiple_scans(&decoder.info)) {
        // As the library sizes its coefficient array: each component's blocks
        // rounded up to whole groups of its sampling.
        const auto roundUp = [](uint64_t value, uint64_t step) { return (value + step - 1) / step * step; };
        for (int c = 0; c < decoder.info.num_components; ++c) {
            const jpeg_component_info& component = decoder.info.comp_info[c];
            size.wholeCoefficientBytes += roundUp(component.width_in_blocks, component.h_samp_factor) *
                                          roundUp(component.height_in_blocks, component.v_samp_factor) *
                                          sizeof(JBLOCK);
        }
    }
    return size;
}

std::unique_ptr<PictureReader> MakeJpegReader(ByteSource& source) { return std::make_unique<JpegReader>(source); }

JpegSize ReadJpegSize(const uint8_t* data, size_t size) {
    MemoryBytes source(data, size);
    return ReadJpegSize(source);
}

Bitmap DecodeJpeg(const uint8_t* data, size_t size, bool quantize) {
    class WholeBitmap final : public PictureSink {
    public:
        Bitmap bitmap;
        void Begin(const PixelFormat& output) override {
            bitmap.Reset(output.width, output.height, output.bitsPerPixel);
            bitmap.palette = output.palette;
        }
        uint8_t* RowBuffer(int32_t y) override { return bitmap.Row(y); }
        void Row(int32_t y, const uint8_t* row) override {
            if (row != bitmap.Row(y)) std::memcpy(bitmap.Row(y), row, bitmap.Stride());
        }
    } sink;
    DecodeJpeg(data, size, quantize, sink);
    return std::move(sink.bitmap);
}
