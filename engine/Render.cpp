#include "engine/Render.h"

#include <algorithm>
#include <cstring>

#include "image/BmpCodec.h"
#include "image/PictureReader.h"
#include "platform/Platform.h"

namespace {

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

// The wallpaper bitmap file as it is written: the header, then the canvas
// rows at their offsets. Rows are gathered in a band and each run of
// consecutive rows is one write: rows that come top-down (a JPEG) fill the
// band from its end, rows that come bottom-up (most BMP files) from its start,
// so the band is always the rows' own order in the file.
class WallpaperFile {
public:
    WallpaperFile(platform::OutputFile& out, uint32_t background) : out_(out), background_(background) {}

    // The picture's format (no pixels): a picture in the band keeps it, any
    // other gets a 24-bit canvas, within its bound. Writes the header and the
    // bars above and below.
    void Begin(const PixelFormat& picture) {
        fit_ = ComputeFit(picture.width, picture.height);
        CheckCanvas(fit_, picture.bitsPerPixel);
        PixelFormat canvas;
        if (fit_.rule == Fit::Band) {
            canvas = picture;
        } else {
            canvas.width = fit_.canvasWidth;
            canvas.height = fit_.canvasHeight;
            canvas.bitsPerPixel = 24;
            pictureOffset_ = 3 * static_cast<size_t>(fit_.x);
        }
        layout_ = LayOutBmpFile(canvas);
        capacity_ = static_cast<int32_t>(
            std::clamp<size_t>(kRenderBandBytes / layout_.stride, 1, static_cast<size_t>(layout_.height)));
        band_.assign(layout_.stride * static_cast<size_t>(capacity_), 0);
        out_.WriteAt(0, layout_.header.data(), layout_.header.size());
        if (fit_.rule == Fit::Band) return;
        // Every row of the band starts as a row of background: the picture
        // covers its middle, the side bars stay.
        const uint8_t bgr[3] = {static_cast<uint8_t>(background_ >> 16), static_cast<uint8_t>(background_ >> 8),
                                static_cast<uint8_t>(background_)};
        for (int32_t slot = 0; slot < capacity_; ++slot) {
            uint8_t* p = Slot(slot);
            for (int32_t x = 0; x < fit_.canvasWidth; ++x, p += 3) std::memcpy(p, bgr, 3);
        }
        if (fit_.rule == Fit::Wide) {
            const int32_t top = std::max<int32_t>(fit_.y, 0);
            const int32_t bottom = std::min<int32_t>(fit_.y + picture.height, fit_.canvasHeight);
            WriteBars(0, top);
            WriteBars(bottom, fit_.canvasHeight);
        }
    }

    // Where row `y` of the picture goes, `step` telling the order the rows
    // come in (+1 top-down, -1 bottom-up): the picture's part of its canvas
    // row in the band. Null for a row cut off the canvas.
    uint8_t* Place(int32_t y, int step) {
        const int32_t target = y + fit_.y;
        if (target < 0 || target >= fit_.canvasHeight) return nullptr;
        if (count_ > 0 && (step != step_ || target != first_ + step_ * count_)) Flush();
        if (count_ == 0) {
            first_ = target;
            step_ = step;
        }
        return Slot(step_ < 0 ? count_ : capacity_ - 1 - count_) + pictureOffset_;
    }
    // The row Place gave is filled.
    void Placed() {
        ++count_;
        ++rows_;
        if (count_ == capacity_) Flush();
    }
    bool Fitted() const { return fit_.rule != Fit::Band; }
    void Finish() {
        Flush();
        if (rows_ != layout_.height) throw RenderError("The picture did not fill the wallpaper");
    }

private:
    uint8_t* Slot(int32_t slot) { return band_.data() + static_cast<size_t>(slot) * layout_.stride; }

    // Canvas rows from..to-1 in the background colour, from the band before
    // any picture row is in it.
    void WriteBars(int32_t from, int32_t to) {
        for (int32_t at = from; at < to; at += capacity_) {
            const int32_t rows = std::min(capacity_, to - at);
            out_.WriteAt(layout_.RowOffset(at + rows - 1), band_.data(), layout_.stride * static_cast<size_t>(rows));
            rows_ += rows;
        }
    }

    void Flush() {
        if (count_ == 0) return;
        const size_t bytes = layout_.stride * static_cast<size_t>(count_);
        if (step_ < 0)
            out_.WriteAt(layout_.RowOffset(first_), Slot(0), bytes);
        else
            out_.WriteAt(layout_.RowOffset(first_ + count_ - 1), Slot(capacity_ - count_), bytes);
        count_ = 0;
    }

    platform::OutputFile& out_;
    Fit fit_;
    uint32_t background_;
    BmpFileLayout layout_;
    size_t pictureOffset_ = 0;  // bytes before the picture in a canvas row
    std::vector<uint8_t> band_;
    int32_t capacity_ = 0;      // rows in the band
    int32_t first_ = 0;         // the canvas row of the band's first row
    int32_t count_ = 0;         // rows in the band
    int step_ = 1;
    int64_t rows_ = 0;          // canvas rows written or in the band
};

// A picture's rows, in the order its reader gives them: a picture in the band
// copied as it is, any other converted to 24 bits; 24-bit rows are decoded
// straight into the band.
class PictureRows final : public PictureSink {
public:
    explicit PictureRows(WallpaperFile& file) : file_(file) {}

    void Begin(const PixelFormat& format) override {
        format_ = format;
        file_.Begin(format_);
        direct_ = !file_.Fitted() || format.bitsPerPixel == 24;
    }
    uint8_t* RowBuffer(int32_t y) override {
        Target(y);
        return target_ && direct_ ? target_ : nullptr;
    }
    void Row(int32_t y, const uint8_t* row) override {
        Target(y);
        asked_ = -1;
        if (!target_) return;
        if (row != target_) {
            if (!file_.Fitted())
                std::memcpy(target_, row, format_.Stride());
            else
                RowToBgr24(format_, row, target_);
        }
        file_.Placed();
    }

private:
    // Where row `y` goes, asked once per row.
    void Target(int32_t y) {
        if (asked_ == y) return;
        const int step = last_ < 0 ? (y == 0 ? +1 : -1) : (y > last_ ? +1 : -1);
        last_ = y;
        asked_ = y;
        target_ = file_.Place(y, step);
    }

    WallpaperFile& file_;
    PixelFormat format_;
    bool direct_ = false;
    int32_t last_ = -1;   // the last row placed
    int32_t asked_ = -1;  // the row target_ is for
    uint8_t* target_ = nullptr;
};

}  // namespace

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

void RenderWallpaper(const std::string& picture, const RenderOptions& options, const std::string& output) {
    const PictureKind kind = RequirePictureKind(picture);
    // The picture file is read by pieces, never whole.
    std::unique_ptr<platform::InputFile> input = platform::OpenInputFile(picture);
    const uint64_t bytes = input->Size();
    if (bytes > kMaxPictureFileBytes) throw platform::Error(picture + " is too large");
    // Nothing this short is a picture: it fails here, before any decoder is
    // set up (a folder of empty files is passed over at the cost of an open).
    if (bytes < kSmallestPictureBytes) throw RenderError("No picture loaded");
    PictureFileSource source(*input);
    const OpenedPicture opened = OpenPicture(kind, source);
    CheckCanvas(ComputeFit(opened.header.width, opened.header.height), opened.header.bitsPerPixel);
    ReadOptions read;
    // The display is asked only once the picture's header has been read.
    read.quantize = (options.displayBits > 0 ? options.displayBits : platform::DisplayColorDepth()) <= 8;
    read.background = options.background;
    platform::WriteFileReplacing(output, [&](platform::OutputFile& out) {
        WallpaperFile file(out, options.background);
        PictureRows rows(file);
        opened.reader->Rows(rows, read);
        file.Finish();
        input.reset();  // closed before the new bitmap takes its name, which may be the picture's
    });
}
