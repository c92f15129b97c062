// What counts as a picture file, and reading one within the bounds: the one
// table of picture kinds and the bounds that the catalogue walk, the preview
// list, the change and the preview all use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "image/Bitmap.h"
#include "image/BmpCodec.h"
#include "image/ImageLimits.h"
#include "image/JpegDecoder.h"
#include "platform/Platform.h"

// A picture the program refuses: no picture kind, or past the bounds.
class RenderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class PictureKind { None, Bmp, Jpeg };

// The picture kinds, by exact extension. `listed`: the catalogue walk and the
// preview list count such a file as a picture (IsPictureFile). A named
// picture of the other kinds is still read by a change and by the preview.
struct PictureKindEntry {
    const char* extension;
    PictureKind kind;
    bool listed;
};
inline constexpr PictureKindEntry kPictureKinds[] = {
    {".bmp", PictureKind::Bmp, true},    {".BMP", PictureKind::Bmp, true},
    {".jpg", PictureKind::Jpeg, true},   {".JPG", PictureKind::Jpeg, true},
    {".jpeg", PictureKind::Jpeg, false}, {".JPEG", PictureKind::Jpeg, false},
};

// The extension of a file name or path: from the last "." that stands after the
// last "\" and the last ":", dot included; empty when there is none.
std::string PictureExtension(const std::string& name);

// The kind a file is read as, by its extension; None for any other extension.
PictureKind PictureKindOf(const std::string& name);

// A name is a picture when its extension is exactly ".bmp", ".BMP", ".jpg" or
// ".JPG". Mixed case and ".jpeg" are not pictures; folders are judged by the
// same rule.
bool IsPictureFile(const std::string& name);

// The bounds on pictures from outside, passed over like a picture that does not
// decode. The largest picture, wallpaper canvas or picture file the program
// holds is 256 MiB, a 24-bit canvas of about 89 million pixels (10,900 × 8,200):
// a 32-bit program has 2 GiB of address space, and the system makes its own
// copy of the wallpaper on top. A change holds neither the canvas nor the
// picture whole (RenderWallpaper writes the bitmap a band of rows at a time),
// with one exception: on a display of 8 bits or fewer a JPEG picture is
// quantised by libjpeg's two-pass colour reduction, which keeps the whole
// picture in a buffer of its own (within kMaxJpegWorkBytes) before the rows
// come out. A JPEG file of several scans (a progressive one) is decoded from
// all its coefficients, which libjpeg keeps whole, 2 to 6 bytes a pixel: such
// a file whose coefficients pass kMaxWallpaperBytes is refused from its
// header, and what libjpeg takes for one picture, the coefficients and the
// quantiser's buffer together, stays within kMaxJpegWorkBytes (the same 256 MiB).
// The picture file itself is read by pieces, never whole.
inline constexpr uint64_t kMaxPixelsPerFileByte = 4096;
inline constexpr size_t kMaxWallpaperBytes = size_t(1) << 28;
inline constexpr size_t kMaxPictureFileBytes = kMaxWallpaperBytes;
// No shorter file is a picture of any kind: a BMP's file header and its
// smallest info header (a JPEG needs its tables, a frame and a scan besides).
inline constexpr size_t kSmallestPictureBytes = 14 + 12;
inline constexpr ImageLimits kPictureLimits{kMaxPixelsPerFileByte, kMaxWallpaperBytes, kMaxPictureFileBytes};

// Throws RenderError when a picture of width × height at `bitsPerPixel`, read
// from a file of `fileBytes`, breaks kPictureLimits.
void CheckPictureBounds(int32_t width, int32_t height, int bitsPerPixel, size_t fileBytes);

// A picture's size as its header gives it; a JPEG counts 24 bits per pixel.
struct PictureSize {
    int32_t width = 0;
    int32_t height = 0;
    int bitsPerPixel = 24;
};

// The size a picture file's header claims, held to the bounds: throws what
// DecodePicture throws before it calls `plan`.
PictureSize ReadPictureSize(PictureKind kind, const uint8_t* data, size_t size);
// The same for a JPEG file read by pieces: only its header is read.
PictureSize ReadJpegPictureSize(ByteSource& file);

// What the caller of DecodePicture decides once the size is known.
struct PictureDecoding {
    // Called with the size, once it keeps to the bounds and before any memory
    // is asked for the pixels; it may throw to refuse the picture. It gives the
    // JPEG scale: 1 (full size), 2, 4 or 8. None: full size.
    std::function<int(const PictureSize&)> plan;
};

// Reads a picture file's bytes: the size from the header, held to the
// bounds, then `plan`, then the pixels. A BMP comes whole in its own format, a
// JPEG at 24 bits. Throws
// RenderError for PictureKind::None and a picture past the bounds, and what
// the decoders throw.
Bitmap DecodePicture(PictureKind kind, const uint8_t* data, size_t size, const PictureDecoding& decoding = {});

// A picture file read by pieces, as DecodeBmpRows and the JPEG decoder read it.
class PictureFileSource final : public ByteSource {
public:
    explicit PictureFileSource(platform::InputFile& file) : file_(file) {}
    uint64_t Size() const override { return file_.Size(); }
    size_t ReadAt(uint64_t offset, void* data, size_t size) override { return file_.ReadAt(offset, data, size); }

private:
    platform::InputFile& file_;
};
