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
// picture the reader gives, never more than its own size.
class PreviewRows final : public PictureSink {
public:
    PreviewRows(int32_t boxWidth, int32_t boxHeight) : boxWidth_(boxWidth), boxHeight_(boxHeight) {}
    Bitmap Take() { return reducer_ ? reducer_->Take() : Bitmap(); }

    void Begin(const PixelFormat& format) override {
        format_ = format;
        const PreviewPlacement place = PlacePreview(format.width, format.height, boxWidth_, boxHeight_);
        reducer_.emplace(format.width, format.height, std::min(place.width, format.width),
                         std::min(place.height, format.height));
        if (format.bitsPerPixel != 24) row_.assign(static_cast<size_t>(format.width) * 3, 0);
    }
    void Row(int32_t y, const uint8_t* row) override {
        if (format_.bitsPerPixel != 24) {
            RowToBgr24(format_, row, row_.data());
            row = row_.data();
        }
        reducer_->Add(y, row);
    }

private:
    int32_t boxWidth_, boxHeight_;
    PixelFormat format_;
    std::optional<RowReducer> reducer_;
    std::vector<uint8_t> row_;  // one row converted to 24 bits
};

}  // namespace

Bitmap LoadPreviewPicture(const std::string& path, int32_t boxWidth, int32_t boxHeight, uint32_t background) {
    const PictureKind kind = RequirePictureKind(path);
    // The file is read by pieces and its rows reduced as they are decoded.
    const std::unique_ptr<platform::InputFile> input = platform::OpenInputFile(path);
    const uint64_t bytes = input->Size();
    if (bytes > kMaxPictureFileBytes) throw platform::Error(path + " is too large");
    PictureFileSource source(*input);
    const OpenedPicture opened = OpenPicture(kind, source);
    const PictureHeader& size = opened.header;
    ReadOptions read;
    read.background = background;
    // A large picture whose reader can scale is decoded at the smallest scale that still covers the box.
    if (size.scalable) {
        const PreviewPlacement place = PlacePreview(size.width, size.height, boxWidth, boxHeight);
        read.denominator = 8;
        while (read.denominator > 1 && ((size.width + read.denominator - 1) / read.denominator < place.width ||
                                        (size.height + read.denominator - 1) / read.denominator < place.height))
            read.denominator /= 2;
    }
    PreviewRows rows(boxWidth, boxHeight);
    opened.reader->Rows(rows, read);
    return rows.Take();
}
