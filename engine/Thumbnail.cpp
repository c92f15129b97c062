#include "engine/Thumbnail.h"

#include <algorithm>
#include <cstring>
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

Bitmap LoadPreviewPicture(const std::string& path, int32_t boxWidth, int32_t boxHeight) {
    const PictureKind kind = PictureKindOf(path);
    if (kind == PictureKind::None) throw RenderError("Unknown picture file extension (" + PictureExtension(path) + ")");
    const std::vector<uint8_t> file = platform::ReadFileBytes(path, kMaxPictureFileBytes);
    PictureDecoding decoding;
    // A large JPEG is decoded at the smallest scale that still covers the box.
    decoding.plan = [&](const PictureSize& size) {
        const PreviewPlacement place = PlacePreview(size.width, size.height, boxWidth, boxHeight);
        int denominator = 8;
        while (denominator > 1 && ((size.width + denominator - 1) / denominator < place.width ||
                                   (size.height + denominator - 1) / denominator < place.height))
            denominator /= 2;
        return denominator;
    };
    const Bitmap picture = DecodePicture(kind, file.data(), file.size(), decoding);
    const PreviewPlacement place = PlacePreview(picture.width, picture.height, boxWidth, boxHeight);
    return ReducePicture(picture, std::min(place.width, picture.width), std::min(place.height, picture.height));
}
