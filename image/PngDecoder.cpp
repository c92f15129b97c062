#include "image/PngDecoder.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include <spng.h>

namespace {

// The pieces the file is read in.
constexpr size_t kPngReadPiece = size_t(1) << 16;
// The most the library keeps of ancillary chunks (text, profiles): they are
// not used, and a file may claim any length for them.
constexpr size_t kPngChunkLimit = size_t(1) << 24;

// A 16-bit sample rounded to 8 bits: the nearest of the 256 levels.
inline uint8_t Round16(uint16_t value) { return static_cast<uint8_t>((uint32_t(value) * 255 + 32767) / 65535); }

// `colour` over `background` by `alpha`, all of 255 levels, rounded.
inline uint8_t Blend(unsigned colour, unsigned alpha, unsigned background) {
    return static_cast<uint8_t>((colour * alpha + background * (255 - alpha) + 127) / 255);
}

class PngReader final : public PictureReader {
public:
    explicit PngReader(ByteSource& source) : source_(source), piece_(std::min<uint64_t>(source.Size(), kPngReadPiece)) {}
    ~PngReader() override {
        if (ctx_) spng_ctx_free(ctx_);
    }

    PictureHeader Header() override {
        Open();
        spng_ihdr ihdr{};
        Check(spng_get_ihdr(ctx_, &ihdr));
        if (ihdr.width > INT32_MAX || ihdr.height > INT32_MAX) throw PngError("Invalid PNG size");
        ihdr_ = ihdr;
        spng_trns trns{};
        alpha_ = ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA || ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ||
                 spng_get_trns(ctx_, &trns) == 0;
        wide_ = ihdr.bit_depth == 16;
        format_ = wide_ ? SPNG_FMT_RGBA16 : alpha_ ? SPNG_FMT_RGBA8 : SPNG_FMT_RGB8;
        PictureHeader header{static_cast<int32_t>(ihdr.width), static_cast<int32_t>(ihdr.height), 24, 0, false};
        if (ihdr.interlace_method != SPNG_INTERLACE_NONE)
            header.wholeBytes = uint64_t(ihdr.width) * ihdr.height * PixelBytes();
        headerRead_ = true;
        return header;
    }

    void Rows(PictureSink& sink, const ReadOptions& options) override {
        if (!headerRead_) Header();
        const int32_t width = static_cast<int32_t>(ihdr_.width), height = static_cast<int32_t>(ihdr_.height);
        PixelFormat format;
        format.width = width;
        format.height = height;
        format.bitsPerPixel = 24;
        const size_t rowBytes = size_t(width) * PixelBytes();
        std::vector<uint8_t> own(format.Stride(), 0);
        const uint8_t background[3] = {static_cast<uint8_t>(options.background >> 16),
                                       static_cast<uint8_t>(options.background >> 8),
                                       static_cast<uint8_t>(options.background)};
        const auto emit = [&](int32_t y, const uint8_t* decoded) {
            uint8_t* out = sink.RowBuffer(y);
            if (!out) out = own.data();
            Convert(decoded, width, background, out);
            sink.Row(y, out);
        };
        if (ihdr_.interlace_method == SPNG_INTERLACE_NONE) {
            Check(spng_decode_image(ctx_, nullptr, 0, format_, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE));
            sink.Begin(format);
            std::vector<uint8_t> row(rowBytes);
            for (int32_t y = 0; y < height; ++y) {
                const int status = spng_decode_row(ctx_, row.data(), row.size());
                if (status != 0 && !(status == SPNG_EOI && y == height - 1)) Fail(status);
                emit(y, row.data());
            }
            // The chunks after the pixels: the last IDAT's CRC is checked there.
            Check(spng_decode_chunks(ctx_));
            return;
        }
        // Adam7: the passes fill the whole picture before any row is final.
        std::vector<uint8_t> whole(rowBytes * size_t(height));
        Check(spng_decode_image(ctx_, whole.data(), whole.size(), format_, SPNG_DECODE_TRNS));
        sink.Begin(format);
        Check(spng_decode_chunks(ctx_));
        for (int32_t y = 0; y < height; ++y) emit(y, whole.data() + rowBytes * size_t(y));
    }

private:
    static int Read(spng_ctx*, void* user, void* data, size_t length) {
        return static_cast<PngReader*>(user)->Fill(static_cast<uint8_t*>(data), length);
    }

    // `length` bytes of the file from where the library stands, through a piece held.
    int Fill(uint8_t* data, size_t length) {
        try {
            while (length > 0) {
                if (at_ == held_.size()) {
                    if (offset_ >= source_.Size()) return SPNG_IO_EOF;
                    held_.resize(piece_);
                    held_.resize(source_.ReadAt(offset_, held_.data(), held_.size()));
                    if (held_.empty()) return SPNG_IO_EOF;
                    offset_ += held_.size();
                    at_ = 0;
                }
                const size_t count = std::min(length, held_.size() - at_);
                std::memcpy(data, held_.data() + at_, count);
                data += count;
                length -= count;
                at_ += count;
            }
            return 0;
        } catch (...) {
            readError_ = std::current_exception();
            return SPNG_IO_ERROR;
        }
    }

    void Open() {
        if (ctx_) return;
        if (source_.Size() == 0) throw PngError("Empty PNG data");
        ctx_ = spng_ctx_new(0);
        if (!ctx_) throw std::bad_alloc();
        Check(spng_set_png_stream(ctx_, Read, this));
        Check(spng_set_crc_action(ctx_, SPNG_CRC_ERROR, SPNG_CRC_DISCARD));
        Check(spng_set_chunk_limits(ctx_, kPngChunkLimit, kPngChunkLimit));
    }

    size_t PixelBytes() const { return wide_ ? 8 : alpha_ ? 4 : 3; }

    // One decoded row (RGB8, RGBA8 or RGBA16) to blue-green-red over the background.
    void Convert(const uint8_t* decoded, int32_t width, const uint8_t* background, uint8_t* out) const {
        if (wide_) {
            const uint16_t* p = reinterpret_cast<const uint16_t*>(decoded);
            for (int32_t x = 0; x < width; ++x, p += 4, out += 3) {
                const unsigned a = Round16(p[3]);
                for (int c = 0; c < 3; ++c) out[2 - c] = Blend(Round16(p[c]), a, background[2 - c]);
            }
        } else if (alpha_) {
            for (int32_t x = 0; x < width; ++x, decoded += 4, out += 3) {
                const unsigned a = decoded[3];
                if (a == 255) {
                    out[0] = decoded[2], out[1] = decoded[1], out[2] = decoded[0];
                } else {
                    for (int c = 0; c < 3; ++c) out[2 - c] = Blend(decoded[c], a, background[2 - c]);
                }
            }
        } else {
            for (int32_t x = 0; x < width; ++x, decoded += 3, out += 3)
                out[0] = decoded[2], out[1] = decoded[1], out[2] = decoded[0];
        }
    }

    void Check(int status) {
        if (status != 0) Fail(status);
    }
    [[noreturn]] void Fail(int status) {
        if (readError_) std::rethrow_exception(readError_);
        throw PngError(std::string("PNG: ") + spng_strerror(status));
    }

    ByteSource& source_;
    size_t piece_;
    std::vector<uint8_t> held_;  // a piece of the file
    size_t at_ = 0;              // the next byte of the piece
    uint64_t offset_ = 0;        // where the next piece starts
    std::exception_ptr readError_;
    spng_ctx* ctx_ = nullptr;
    spng_ihdr ihdr_{};
    bool alpha_ = false, wide_ = false, headerRead_ = false;
    int format_ = SPNG_FMT_RGB8;
};

}  // namespace

std::unique_ptr<PictureReader> MakePngReader(ByteSource& source) { return std::make_unique<PngReader>(source); }
