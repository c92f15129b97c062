#include "image/WebpDecoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <webp/decode.h>
#include <webp/demux.h>

namespace {

// Enough of a file for its size and kind: the RIFF header and the first chunk's.
constexpr size_t kWebpHeadBytes = 64;

inline uint8_t Blend(unsigned colour, unsigned alpha, unsigned background) {
    return static_cast<uint8_t>((colour * alpha + background * (255 - alpha) + 127) / 255);
}

class WebpReader final : public PictureReader {
public:
    explicit WebpReader(ByteSource& source) : source_(source) {}

    PictureHeader Header() override {
        uint8_t head[kWebpHeadBytes];
        const size_t got = source_.ReadAt(0, head, static_cast<size_t>(std::min<uint64_t>(sizeof head, source_.Size())));
        // A WebP file is a RIFF container; libwebp would also take a bare VP8 or
        // VP8L stream, which no other reader of .webp files opens.
        if (got < 12 || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WEBP", 4) != 0)
            throw WebpError("Invalid WebP header");
        if (WebPGetFeatures(head, got, &features_) != VP8_STATUS_OK || features_.width <= 0 || features_.height <= 0)
            throw WebpError("Invalid WebP header");
        headerRead_ = true;
        const uint64_t pixels = uint64_t(features_.width) * uint64_t(features_.height);
        // The file, and the picture at 4 bytes a pixel where it has alpha or is
        // an animation's frame (at most the canvas), else 3.
        const uint64_t pixelBytes = features_.has_alpha || features_.has_animation ? 4 : 3;
        return {features_.width, features_.height, 24, source_.Size() + pixels * pixelBytes, false};
    }

    void Rows(PictureSink& sink, const ReadOptions& options) override {
        if (!headerRead_) Header();
        std::vector<uint8_t> file(static_cast<size_t>(source_.Size()));
        if (source_.ReadAt(0, file.data(), file.size()) != file.size()) throw WebpError("WebP file cut short");
        const uint8_t background[3] = {static_cast<uint8_t>(options.background >> 16),
                                       static_cast<uint8_t>(options.background >> 8),
                                       static_cast<uint8_t>(options.background)};
        PixelFormat format;
        format.width = features_.width;
        format.height = features_.height;
        format.bitsPerPixel = 24;
        if (features_.has_animation) return FirstFrame(file, format, background, sink);
        if (!features_.has_alpha) {
            // Straight into rows of the sink's format.
            Bitmap picture;
            picture.Reset(format.width, format.height, 24);
            if (!WebPDecodeBGRInto(file.data(), file.size(), picture.pixels.data(), picture.pixels.size(),
                                   static_cast<int>(picture.Stride())))
                throw WebpError("WebP data cannot be decoded");
            file = std::vector<uint8_t>();
            sink.Begin(format);
            for (int32_t y = 0; y < format.height; ++y) sink.Row(y, picture.Row(y));
            return;
        }
        const size_t stride = size_t(format.width) * 4;
        std::vector<uint8_t> picture(stride * size_t(format.height));
        if (!WebPDecodeBGRAInto(file.data(), file.size(), picture.data(), picture.size(), static_cast<int>(stride)))
            throw WebpError("WebP data cannot be decoded");
        file = std::vector<uint8_t>();
        Emit(picture.data(), stride, format, 0, 0, format.width, format.height, background, sink);
    }

private:
    // The first frame of an animation, on its canvas of `format`'s size.
    void FirstFrame(const std::vector<uint8_t>& file, const PixelFormat& format, const uint8_t* background,
                    PictureSink& sink) {
        const WebPData data{file.data(), file.size()};
        struct Demuxer {
            WebPDemuxer* demux;
            WebPIterator frame{};
            ~Demuxer() {
                WebPDemuxReleaseIterator(&frame);
                WebPDemuxDelete(demux);
            }
        } demuxer{WebPDemux(&data)};
        if (!demuxer.demux || !WebPDemuxGetFrame(demuxer.demux, 1, &demuxer.frame))
            throw WebpError("WebP animation cannot be read");
        const WebPIterator& frame = demuxer.frame;
        if (frame.width <= 0 || frame.height <= 0 || frame.x_offset < 0 || frame.y_offset < 0 ||
            frame.x_offset > format.width - frame.width || frame.y_offset > format.height - frame.height)
            throw WebpError("WebP frame outside its canvas");
        const size_t stride = size_t(frame.width) * 4;
        std::vector<uint8_t> picture(stride * size_t(frame.height));
        if (!WebPDecodeBGRAInto(frame.fragment.bytes, frame.fragment.size, picture.data(), picture.size(),
                                static_cast<int>(stride)))
            throw WebpError("WebP frame cannot be decoded");
        Emit(picture.data(), stride, format, frame.x_offset, frame.y_offset, frame.width, frame.height, background, sink);
    }

    // Blue-green-red-alpha pixels (`width` × `height` at `left`, `top`) over
    // the background, as rows of `format`.
    static void Emit(const uint8_t* pixels, size_t stride, const PixelFormat& format, int32_t left, int32_t top,
                     int32_t width, int32_t height, const uint8_t* background, PictureSink& sink) {
        std::vector<uint8_t> own(format.Stride(), 0);
        sink.Begin(format);
        for (int32_t y = 0; y < format.height; ++y) {
            uint8_t* out = sink.RowBuffer(y);
            if (!out) out = own.data();
            for (int32_t x = 0; x < format.width; ++x) std::memcpy(out + 3 * size_t(x), background, 3);
            if (y >= top && y < top + height) {
                const uint8_t* p = pixels + stride * size_t(y - top);
                uint8_t* o = out + 3 * size_t(left);
                for (int32_t x = 0; x < width; ++x, p += 4, o += 3) {
                    const unsigned a = p[3];
                    if (a == 255) {
                        o[0] = p[0], o[1] = p[1], o[2] = p[2];
                    } else {
                        for (int c = 0; c < 3; ++c) o[c] = Blend(p[c], a, background[c]);
                    }
                }
            }
            sink.Row(y, out);
        }
    }

    ByteSource& source_;
    WebPBitstreamFeatures features_{};
    bool headerRead_ = false;
};

}  // namespace

std::unique_ptr<PictureReader> MakeWebpReader(ByteSource& source) { return std::make_unique<WebpReader>(source); }
