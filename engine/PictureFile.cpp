#include "engine/PictureFile.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

#include "image/BmpCodec.h"
#include "image/PngDecoder.h"
#include "image/WebpDecoder.h"

std::string PictureExtension(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return std::string();
    const size_t separator = name.find_last_of("\\:");
    if (separator != std::string::npos && separator > dot) return std::string();
    return name.substr(dot);
}

namespace {

bool SameIgnoringCase(const std::string& a, const char* b) {
    const size_t length = std::strlen(b);
    if (a.size() != length) return false;
    for (size_t i = 0; i < length; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

}  // namespace

PictureKind PictureKindOf(const std::string& name) {
    const std::string extension = PictureExtension(name);
    for (const PictureKindEntry& entry : kPictureKinds)
        if (SameIgnoringCase(extension, entry.extension)) return entry.kind;
    return PictureKind::None;
}

bool IsPictureFile(const std::string& name, PictureRule rule) {
    const std::string extension = PictureExtension(name);
    for (const PictureKindEntry& entry : kPictureKinds) {
        switch (rule) {
        case PictureRule::Described:
            if (entry.described && extension == entry.extension) return true;
            break;
        case PictureRule::AllFormats:
            if (SameIgnoringCase(extension, entry.extension)) return true;
            break;
        }
    }
    return false;
}

void CheckPictureBounds(int32_t width, int32_t height, int bitsPerPixel, size_t fileBytes) {
    if (const char* broken = BrokenImageBound(kPictureLimits, width, height, bitsPerPixel, fileBytes))
        throw RenderError(broken);
}

PictureKind RequirePictureKind(const std::string& path) {
    const PictureKind kind = PictureKindOf(path);
    if (kind == PictureKind::None) throw RenderError("Unknown picture file extension (" + PictureExtension(path) + ")");
    return kind;
}

OpenedPicture OpenPicture(PictureKind kind, ByteSource& source) {
    OpenedPicture opened;
    switch (kind) {
    case PictureKind::None:
        throw RenderError("No picture loaded");
    case PictureKind::Bmp:
        opened.reader = MakeBmpReader(source);
        break;
    case PictureKind::Jpeg:
        opened.reader = MakeJpegReader(source);
        break;
    case PictureKind::Png:
        opened.reader = MakePngReader(source);
        break;
    case PictureKind::Webp:
        opened.reader = MakeWebpReader(source);
        break;
    }
    opened.header = opened.reader->Header();
    const PictureHeader& header = opened.header;
    CheckPictureBounds(header.width, header.height, header.bitsPerPixel,
                       static_cast<size_t>(std::min<uint64_t>(source.Size(), SIZE_MAX)));
    if (header.wholeBytes > kMaxWallpaperBytes) throw RenderError("The picture is too large");
    return opened;
}
