#include "engine/Thumbnail.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "engine/PictureFile.h"
#include "image/Reduction.h"
#include "platform/Platform.h"

PreviewPlacement PlacePreview(int32_t width, int32_t height, int32_t boxWidth, int32_t boxHeight) {
    PreviewPlacement place{0, 0, width, height};
    if (width > 0 && height > 0 && (width > boxWidth || height > boxHeight)) {
        // The side that overflows more decides; the other follows the picture's
        // proportions, rounded down.
        if (int64_t{width} * boxHeight >= int64_t{height} * boxWidth) {
            place.width = boxWidth;
            place.height = std::max<int32_t>(1, static_cast<int32_t>(int64_t{height} * boxWidth / width));
        } else {
            place.height = boxHeight;
            place.width = std::max<int32_t>(1, static_cast<int32_t>(int64_t{width} * boxHeight / height));
        }
    }
    place.x = (boxWidth - place.width) / 2;
    place.y = (boxHeight - place.height) / 2;
    return place;
}

namespace {

// The preview's reduction of rows as they are decoded: the placement of the
// picture the decoder gives, never more than its own size.
class PreviewRows {
public:
    PreviewRows(int32_t boxWidth, int32_t boxHeight) : boxWidth_(boxWidth), boxHeight_(boxHeight) {}
    Bitmap Take() { return reducer_ ? reducer_->Take() : Bitmap(); }

protected:
    void Start(int32_t width, int32_t height) {
        const PreviewPlacement place = PlacePreview(width, height, boxWidth_, boxHeight_);
        reducer_.emplace(width, height, std::min(place.width, width), std::min(place.height, height));
        row_.assign(static_cast<size_t>(width) * 3, 0);
    }

    int32_t boxWidth_, boxHeight_;
    std::optional<RowReducer> reducer_;
    std::vector<uint8_t> row_;  // one row at 24 bits
};

class JpegPreview final : public PreviewRows, public JpegSink {
public:
    using PreviewRows::PreviewRows;
    void Begin(const PixelFormat& output) override { Start(output.width, output.height); }
    uint8_t* RowBuffer(int32_t) override { return row_.data(); }
    void RowDone(int32_t y) override { reducer_->Add(y, row_.data()); }
};

class BmpPreview final : public PreviewRows, public BmpRowSink {
public:
    BmpPreview(int32_t boxWidth, int32_t boxHeight, uint64_t fileBytes)
        : PreviewRows(boxWidth, boxHeight), fileBytes_(fileBytes) {}
    void Begin(const PixelFormat& format) override {
        CheckPictureBounds(format.width, format.height, format.bitsPerPixel, static_cast<size_t>(fileBytes_));
        format_ = format;
        Start(format.width, format.height);
    }
    void Row(int32_t y, const uint8_t* row) override {
        RowToBgr24(format_, row, row_.data());
        reducer_->Add(y, row_.data());
    }

private:
    uint64_t fileBytes_;
    PixelFormat format_;
};

}  // namespace

Bitmap LoadPreviewPicture(const std::string& path, int32_t boxWidth, int32_t boxHeight) {
    const PictureKind kind = PictureKindOf(path);
    if (kind == PictureKind::None) throw RenderError("Unknown picture file extension (" + PictureExtension(path) + ")");
    // The file is read by pieces and its rows reduced as they are decoded.
    const std::unique_ptr<platform::InputFile> input = platform::OpenInputFile(path);
    const uint64_t bytes = input->Size();
    if (bytes > kMaxPictureFileBytes) throw platform::Error(path + " is too large");
    PictureFileSource source(*input);
    if (kind == PictureKind::Bmp) {
        BmpPreview rows(boxWidth, boxHeight, bytes);
        DecodeBmpRows(source, rows);
        return rows.Take();
    }
    // A large JPEG is decoded at the smallest scale that still covers the box.
    const PictureSize size = ReadJpegPictureSize(source);
    const PreviewPlacement place = PlacePreview(size.width, size.height, boxWidth, boxHeight);
    int denominator = 8;
    while (denominator > 1 && ((size.width + denominator - 1) / denominator < place.width ||
                               (size.height + denominator - 1) / denominator < place.height))
        denominator /= 2;
    JpegPreview rows(boxWidth, boxHeight);
    DecodeJpegScaled(source, denominator, rows);
    return rows.Take();
}
