// What counts as a picture file, and reading one within the bounds: the one
// table of picture kinds and the bounds that the catalogue walk, the preview
// list, the change and the preview all use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "image/Bitmap.h"
#include "image/BmpCodec.h"
#include "image/ImageLimits.h"
#include "image/JpegDecoder.h"
#include "image/PictureReader.h"
#include "platform/Platform.h"

// A picture the program refuses: no picture kind, or past the bounds.
class RenderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class PictureKind { None, Bmp, Jpeg, Png, Webp };

// Which names count as pictures (IsPictureFile): the described rule, or with
// option "allformats" every extension of the table in any letter case.
enum class PictureRule { Described, AllFormats };
// The rule for the value of option "allformats".
inline PictureRule PictureRuleFor(bool allformats) { return allformats ? PictureRule::AllFormats : PictureRule::Described; }

// The picture kinds, by extension. `described`: under the described rule the
// catalogue walk and the preview list count a name with exactly this
// extension as a picture. Under PictureRule::AllFormats every extension here
// counts in any letter case. A named picture is read by its extension in any
// letter case, whichever rule lists it.
struct PictureKindEntry {
    const char* extension;
    PictureKind kind;
    bool described;
};
inline constexpr PictureKindEntry kPictureKinds[] = {
    {".bmp", PictureKind::Bmp, true},    {".BMP", PictureKind::Bmp, true},
    {".jpg", PictureKind::Jpeg, true},   {".JPG", PictureKind::Jpeg, true},
    {".jpeg", PictureKind::Jpeg, false}, {".png", PictureKind::Png, false},
    {".webp", PictureKind::Webp, false},
};

// The extension of a file name or path: from the last "." that stands after the
// last "\" and the last ":", dot included; empty when there is none.
std::string PictureExtension(const std::string& name);

// The kind a file is read as, by its extension in any letter case; None for
// any other extension.
PictureKind PictureKindOf(const std::string& name);

// Under the described rule a name is a picture when its extension is exactly
// ".bmp", ".BMP", ".jpg" or ".JPG": mixed case and ".jpeg" are not pictures.
// Under AllFormats any extension of kPictureKinds counts, in any letter case.
// Folders are judged by the same rule.
bool IsPictureFile(const std::string& name, PictureRule rule = PictureRule::Described);

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
// A JPEG whose Exif orientation (5 to 8) exchanges rows and columns is decoded
// whole before its rows come out, 3 bytes a pixel: what a reader holds whole
// (PictureHeader::wholeBytes) stays within kMaxWallpaperBytes.
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

// The kind of the picture file at `path`, or RenderError "Unknown picture
// file extension (.gif)" for a name of no picture kind.
PictureKind RequirePictureKind(const std::string& path);

// A picture file opened for reading: its reader and its header, which keeps
// to the bounds.
struct OpenedPicture {
    std::unique_ptr<PictureReader> reader;
    PictureHeader header;
};
// The reader of `kind` over `source` (the one place that chooses a reader by
// kind), its header read and held to kPictureLimits and the memory the reader
// holds whole (PictureHeader::wholeBytes) to kMaxWallpaperBytes, before any
// memory is asked for the pixels. Throws RenderError for PictureKind::None and
// a picture past the bounds, and what the reader throws for its header.
OpenedPicture OpenPicture(PictureKind kind, ByteSource& source);

// A picture file read by pieces, as every reader reads it.
class PictureFileSource final : public ByteSource {
public:
    explicit PictureFileSource(platform::InputFile& file) : file_(file) {}
    uint64_t Size() const override { return file_.Size(); }
    size_t ReadAt(uint64_t offset, void* data, size_t size) override { return file_.ReadAt(offset, data, size); }

private:
    platform::InputFile& file_;
};
