#include "engine/Thumbnail.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/BmpCodec.h"
#include "engine/CatalogueWalk.h"
#include "image/JpegDecoder.h"
#include "image/Reduction.h"
#include "engine/Render.h"
#include "platform/Platform.h"

namespace {

class WholeBitmap final : public JpegSink {
public:
    Bitmap bitmap;
    void Begin(const JpegOutput& output) override { bitmap.Reset(output.width, output.height, 24); }
    uint8_t* RowBuffer(int32_t y) override { return bitmap.Row(y); }
};

}  // namespace

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

Bitmap LoadPreviewPicture(const std::string& path, int32_t boxWidth, int32_t boxHeight) {
    const std::string extension = PictureExtension(path);
    const bool jpeg = extension == ".jpg" || extension == ".JPG" || extension == ".jpeg" || extension == ".JPEG";
    const bool bmp = extension == ".bmp" || extension == ".BMP";
    if (!jpeg && !bmp) throw RenderError("Unknown picture file extension (" + extension + ")");
    const std::vector<uint8_t> file = platform::ReadFileBytes(path, kMaxPictureFileBytes);
    Bitmap picture;
    if (jpeg) {
        const JpegSize size = ReadJpegSize(file.data(), file.size());
        CheckPictureBounds(size.width, size.height, 24, file.size());
        const PreviewPlacement place = PlacePreview(size.width, size.height, boxWidth, boxHeight);
        int denominator = 8;
        while (denominator > 1 && ((size.width + denominator - 1) / denominator < place.width ||
                                   (size.height + denominator - 1) / denominator < place.height))
            denominator /= 2;
        WholeBitmap sink;
        DecodeJpegScaled(file.data(), file.size(), denominator, sink);
        picture = std::move(sink.bitmap);
    } else {
        const BmpSize size = ReadBmpSize(file.data(), file.size());
        CheckPictureBounds(size.width, size.height, size.bitsPerPixel, file.size());
        picture = DecodeBmp(file.data(), file.size());
    }
    const PreviewPlacement place = PlacePreview(picture.width, picture.height, boxWidth, boxHeight);
    return ReducePicture(picture, std::min(place.width, picture.width), std::min(place.height, picture.height));
}
