#include "engine/Render.h"

#include <algorithm>
#include <cstring>

#include "image/BmpCodec.h"
#include "image/JpegDecoder.h"
#include "platform/Platform.h"

namespace {

int64_t FloorDiv(int64_t numerator, int64_t denominator) {
    int64_t quotient = numerator / denominator;
    if ((numerator % denominator != 0) && (numerator < 0)) --quotient;
    return quotient;
}

int32_t Checked(int64_t value) {
    if (value <= 0 || value > INT32_MAX) throw BitmapSizeError("wallpaper too large");
    return static_cast<int32_t>(value);
}

// The canvas `fit` asks for, within the bounds.
void CheckCanvas(const Fit& fit, int bitsPerPixel) {
    const int bits = fit.rule == Fit::Band ? bitsPerPixel : 24;
    if (Bitmap::ByteCountFor(fit.canvasWidth, fit.canvasHeight, bits) > kMaxWallpaperBytes)
        throw RenderError("The wallpaper would be too large");
}

void FillBackground(Bitmap& canvas, uint32_t color, int32_t fromX, int32_t toX, int32_t fromY, int32_t toY) {
    const uint8_t bgr[3] = {static_cast<uint8_t>(color >> 16), static_cast<uint8_t>(color >> 8),
                            static_cast<uint8_t>(color)};
    for (int32_t y = fromY; y < toY; ++y) {
        uint8_t* p = canvas.Row(y) + 3 * static_cast<size_t>(fromX);
        for (int32_t x = fromX; x < toX; ++x, p += 3) std::memcpy(p, bgr, 3);
    }
}

// A 24-bit canvas in the background colour, the picture's place left for it.
Bitmap FittedCanvas(const Fit& fit, int32_t width, int32_t height, uint32_t background) {
    Bitmap canvas;
    canvas.Reset(fit.canvasWidth, fit.canvasHeight, 24);
    if (fit.rule == Fit::Tall) {
        FillBackground(canvas, background, 0, fit.x, 0, fit.canvasHeight);
        FillBackground(canvas, background, fit.x + width, fit.canvasWidth, 0, fit.canvasHeight);
    } else {
        const int32_t top = std::max<int32_t>(fit.y, 0);
        const int32_t bottom = std::min<int32_t>(fit.y + height, fit.canvasHeight);
        FillBackground(canvas, background, 0, fit.canvasWidth, 0, top);
        FillBackground(canvas, background, 0, fit.canvasWidth, bottom, fit.canvasHeight);
    }
    return canvas;
}

// Decodes JPEG rows straight into the canvas, so the picture is never held twice.
class CanvasSink final : public JpegSink {
public:
    explicit CanvasSink(uint32_t background) : background_(background) {}
    Bitmap canvas;

    void Begin(const JpegOutput& output) override {
        output_ = output;
        fit_ = ComputeFit(output.width, output.height);
        if (fit_.rule == Fit::Band) {
            canvas.Reset(output.width, output.height, output.bitsPerPixel);
            canvas.palette = output.palette;
            return;
        }
        canvas = FittedCanvas(fit_, output.width, output.height, background_);
        scratch_.Reset(output.width, 1, output.bitsPerPixel);
        scratch_.palette = output.palette;
    }

    uint8_t* RowBuffer(int32_t y) override {
        if (fit_.rule == Fit::Band) return canvas.Row(y);
        const int32_t target = y + fit_.y;
        if (output_.bitsPerPixel == 24 && target >= 0 && target < canvas.height)
            return canvas.Row(target) + 3 * static_cast<size_t>(fit_.x);
        return scratch_.Row(0);
    }

    void RowDone(int32_t y) override {
        const int32_t target = y + fit_.y;
        if (fit_.rule == Fit::Band || output_.bitsPerPixel == 24 || target < 0 || target >= canvas.height) return;
        RowToBgr24(scratch_, 0, canvas.Row(target) + 3 * static_cast<size_t>(fit_.x));
    }

private:
    uint32_t background_;
    JpegOutput output_;
    Fit fit_;
    Bitmap scratch_;
};

}  // namespace

int64_t RoundHalfEven(int64_t numerator, int64_t denominator) {
    const int64_t quotient = FloorDiv(numerator, denominator);
    const int64_t twiceRest = 2 * (numerator - quotient * denominator);
    if (twiceRest > denominator) return quotient + 1;
    if (twiceRest == denominator) return (quotient % 2 == 0) ? quotient : quotient + 1;
    return quotient;
}

Fit ComputeFit(int32_t width, int32_t height) {
    Fit fit;
    const int64_t w = width, h = height;
    if (100 * w >= 126 * h && 100 * w <= 135 * h) {
        fit.rule = Fit::Band;
        fit.canvasWidth = width;
        fit.canvasHeight = height;
    } else if (h >= w) {
        fit.rule = Fit::Tall;
        fit.canvasHeight = height;
        fit.canvasWidth = Checked(RoundHalfEven(13 * h, 10));
        fit.x = static_cast<int32_t>(RoundHalfEven(fit.canvasWidth - w, 2));
    } else {
        fit.rule = Fit::Wide;
        fit.canvasWidth = width;
        fit.canvasHeight = Checked(RoundHalfEven(10 * w, 13));
        fit.y = static_cast<int32_t>(RoundHalfEven(fit.canvasHeight - h, 2));
    }
    return fit;
}

Bitmap RenderCanvas(const std::string& picture, const RenderOptions& options) {
    if (PictureKindOf(picture) == PictureKind::None) throw RenderError("No picture loaded");
    const std::vector<uint8_t> file = platform::ReadFileBytes(picture, kMaxPictureFileBytes);
    return RenderCanvas(picture, file.data(), file.size(), options);
}

Bitmap RenderCanvas(const std::string& picture, const uint8_t* data, size_t bytes, const RenderOptions& options) {
    const PictureKind kind = PictureKindOf(picture);
    Fit fit;
    PictureDecoding decoding;
    decoding.plan = [&](const PictureSize& size) {
        fit = ComputeFit(size.width, size.height);
        CheckCanvas(fit, size.bitsPerPixel);
        return 1;
    };
    if (kind == PictureKind::Jpeg) {
        // The rows go straight into the canvas.
        CanvasSink sink(options.background);
        decoding.quantize = options.displayBits <= 8;
        decoding.jpegRows = &sink;
        DecodePicture(kind, data, bytes, decoding);
        return std::move(sink.canvas);
    }
    Bitmap source = DecodePicture(kind, data, bytes, decoding);
    if (fit.rule == Fit::Band) return source;
    Bitmap canvas = FittedCanvas(fit, source.width, source.height, options.background);
    for (int32_t y = 0; y < source.height; ++y) {
        const int32_t target = y + fit.y;
        if (target >= 0 && target < canvas.height)
            RowToBgr24(source, y, canvas.Row(target) + 3 * static_cast<size_t>(fit.x));
    }
    return canvas;
}

void WriteBmpFile(const Bitmap& bitmap, const std::string& output) {
    platform::WriteFileReplacing(output, [&](platform::OutputFile& out) {
        EncodeBmp(bitmap, [&](const void* data, size_t size) { out.Write(data, size); });
    });
}
