#include "engine/PictureFile.h"

#include <algorithm>
#include <cstdint>

#include "image/BmpCodec.h"

std::string PictureExtension(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return std::string();
    const size_t separator = name.find_last_of("\\:");
    if (separator != std::string::npos && separator > dot) return std::string();
    return name.substr(dot);
}

namespace {

const PictureKindEntry* FindKind(const std::string& name) {
    const std::string extension = PictureExtension(name);
    for (const PictureKindEntry& entry : kPictureKinds)
        if (extension == entry.extension) return &entry;
    return nullptr;
}

}  // namespace

PictureKind PictureKindOf(const std::string& name) {
    const PictureKindEntry* entry = FindKind(name);
    return entry ? entry->kind : PictureKind::None;
}

bool IsPictureFile(const std::string& name) {
    const PictureKindEntry* entry = FindKind(name);
    return entry && entry->listed;
}

void CheckPictureBounds(int32_t width, int32_t height, int bitsPerPixel, size_t fileBytes) {
    if (const char* broken = BrokenImageBound(kPictureLimits, width, height, bitsPerPixel, fileBytes))
        throw RenderError(broken);
}

namespace {

PictureSize JpegPictureSize(const JpegSize& jpeg, uint64_t fileBytes) {
    CheckPictureBounds(jpeg.width, jpeg.height, 24, static_cast<size_t>(std::min<uint64_t>(fileBytes, SIZE_MAX)));
    if (jpeg.wholeCoefficientBytes > kMaxWallpaperBytes) throw RenderError("The picture is too large");
    return {jpeg.width, jpeg.height, 24};
}

}  // namespace

PictureSize ReadPictureSize(PictureKind kind, const uint8_t* data, size_t size) {
    if (kind == PictureKind::None) throw RenderError("No picture loaded");
    if (kind == PictureKind::Jpeg) return JpegPictureSize(ReadJpegSize(data, size), size);
    const BmpSize bmp = ReadBmpSize(data, size);
    CheckPictureBounds(bmp.width, bmp.height, bmp.bitsPerPixel, size);
    return {bmp.width, bmp.height, bmp.bitsPerPixel};
}

PictureSize ReadJpegPictureSize(ByteSource& file) { return JpegPictureSize(ReadJpegSize(file), file.Size()); }

Bitmap DecodePicture(PictureKind kind, const uint8_t* data, size_t size, const PictureDecoding& decoding) {
    const PictureSize claimed = ReadPictureSize(kind, data, size);
    const int scale = decoding.plan ? decoding.plan(claimed) : 1;
    if (kind == PictureKind::Bmp) return DecodeBmp(data, size);
    if (scale == 1) return DecodeJpeg(data, size, false);
    class WholeBitmap final : public JpegSink {
    public:
        Bitmap bitmap;
        void Begin(const PixelFormat& output) override { bitmap.Reset(output.width, output.height, 24); }
        uint8_t* RowBuffer(int32_t y) override { return bitmap.Row(y); }
    } sink;
    DecodeJpegScaled(data, size, scale, sink);
    return std::move(sink.bitmap);
}
