// The GIF picture: reads GIF87a and GIF89a data into a list of frames and
// decodes each frame into an indexed Bitmap on first demand. Portable: the
// frame bitmaps become GDI bitmaps only at the Win32 edge (toolkit/GIFWin32.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "image/Bitmap.h"
#include "image/ImageLimits.h"

// Colours are 0x00BBGGRR; clNone lies outside the 24-bit range and means "no colour".
using TColor = uint32_t;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor RGBColor(uint8_t r, uint8_t g, uint8_t b) {
    return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
}

// The picture framework's invalid-graphic-operation error: every message of the
// decoder except the stream's own.
class EInvalidGraphicOperation : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The stream's error ("Stream read error").
class EReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The bounds a GIF is held to, for the banner the program shows: the logical
// screen and every frame at most 64 MiB at 32 bits per pixel (as composed,
// 4096 × 4096), a file of at most 64 MiB, and at most 4096 pixels per byte of
// the file. A GIF past them is refused while its headers are read, before any
// memory is asked for its pixels.
inline constexpr ImageLimits kGifLimits{4096, size_t(64) << 20, size_t(64) << 20};

// The default of TGIFImage::TolerateCorrupt for images made from now on: on,
// as the program leaves it.
extern bool TolerateCorruptGif;

// A readable byte stream with a size and a position, like the toolkit's TStream.
class TStream {
public:
    virtual ~TStream() = default;
    virtual size_t Read(void* buffer, size_t count) = 0;  // bytes read, fewer at the end
    virtual size_t Size() const = 0;
    virtual size_t Position() const = 0;
    // Reads exactly `count` bytes or throws EReadError("Stream read error").
    void ReadBuffer(void* buffer, size_t count);
};

// A read-only stream over bytes that someone else owns (a resource, a file read
// into memory, a test's array).
class TMemoryStream : public TStream {
public:
    TMemoryStream(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}
    size_t Read(void* buffer, size_t count) override;
    size_t Size() const override { return size_; }
    size_t Position() const override { return position_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

// A colour table: `count` meaningful RGB triples (0 when the file has none).
struct TColorTable {
    uint32_t count = 0;
    std::array<std::array<uint8_t, 3>, 256> entries{};
    TColor Color(unsigned index) const {
        return RGBColor(entries[index][0], entries[index][1], entries[index][2]);
    }
};

enum class TGIFVersion : uint8_t { gvNone = 0, gv87a = 1, gv89a = 2 };

// Header-level data, shared by images copied from one another.
struct TGIFData {
    std::vector<std::string> Comment;  // the comment after the last image
    uint8_t AspectRatio = 0;
    uint8_t BitsPerPixel = 1;     // (packed AND 7) + 1
    uint8_t ColorResolution = 1;  // ((packed AND 0x70) >> 4) + 1
    TColorTable ColorTable;       // the global table
};

// The encoded data of one frame, shared by frames copied from one another.
struct TGIFItem {
    // The minimum-code-size byte followed by the data sub-blocks as in the file
    // (size bytes included, the zero terminator too when present).
    std::vector<uint8_t> Data;
    int32_t Width = 0;
    int32_t Height = 0;
    uint8_t PackedFields = 0;
    uint8_t BitsPerPixel = 0;  // 0 when there is neither a local nor a global table
    TColorTable ColorTable;    // the local table, or a copy of the global one
};

enum class TExtensionKind { GraphicControl, PlainText, Application, Comment };

// An extension block kept in a frame's list (graphic control and comment).
struct TExtension {
    TExtensionKind Kind = TExtensionKind::Comment;
    std::vector<uint8_t> Header;    // the fixed bytes read after the label
    std::vector<std::string> Data;  // one string per data sub-block

    // Graphic control fields (Kind == GraphicControl; Header has 6 bytes).
    bool HasTransparency() const { return Header.size() > 1 && (Header[1] & 1); }
    uint8_t Disposal() const { return Header.size() > 1 ? (Header[1] & 0x1C) >> 2 : 0; }
    uint16_t DelayHundredths() const { return Header.size() > 3 ? uint16_t(Header[2] | (Header[3] << 8)) : 0; }
    uint8_t TransparentIndex() const { return Header.size() > 4 ? Header[4] : 0; }
};

class TGIFImage;

// One image of the file.
class TGIFFrame {
public:
    explicit TGIFFrame(TGIFImage& owner);

    TGIFImage& Owner() const { return *owner_; }
    // The decoded picture: rows top-down, 1, 4 or 8 bits per pixel, a palette of
    // 2^depth entries. Decoded on first demand and held from then on.
    const Bitmap& GetBitmap();
    bool HasBitmap() const { return bitmap_ != nullptr; }
    // Those of the bitmap, decoding it when needed; 0 without bitmap and data.
    int32_t Width();
    int32_t Height();

    std::shared_ptr<TGIFItem> Item;
    std::vector<TExtension> Extensions;  // graphic control and comment, in file order
    int32_t Left = 0;
    int32_t Top = 0;
    bool Interlaced = false;
    bool Corrupted = false;
    TColor TransparentColor = clNone;
    // Display time in milliseconds. Held in 32 bits so that the longest delay a
    // file can give (655.35 s) is kept as it is.
    uint32_t Delay = 0;
    uint8_t Disposal = 0;  // the raw 3-bit field
    bool HasLocalColorTable = false;

private:
    friend class TGIFImage;
    TGIFImage* owner_;
    std::unique_ptr<Bitmap> bitmap_;
};

class TGIFImage {
public:
    TGIFImage();
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    // Reads exactly `count` bytes from `stream` (fewer is "Stream read error").
    // Decodes frame 0 at once when `decodeFirst` is set.
    void ReadGifData(size_t count, TStream& stream, bool decodeFirst);
    void LoadFromMemory(const void* data, size_t size);

    // Shares the source's data and frame items (bitmaps are decoded anew).
    void Assign(const TGIFImage& source);
    // Two images are equal when they share the same data.
    bool Equals(const TGIFImage& other) const { return data_ == other.data_; }

    int FrameCount() const { return static_cast<int>(frames_.size()); }
    TGIFFrame& Frame(int index) { return *frames_.at(static_cast<size_t>(index)); }
    int CurrentIndex() const { return currentIndex_; }

    const TGIFData& Data() const { return *data_; }
    TGIFVersion Version() const { return version_; }
    // The logical screen; 0 x 0 while the image has no frames.
    uint16_t LogicalWidth() const { return frames_.empty() ? 0 : logicalWidth_; }
    uint16_t LogicalHeight() const { return frames_.empty() ? 0 : logicalHeight_; }
    TColor BackgroundColor() const { return backgroundColor_; }
    bool Looping() const { return looping_; }
    uint16_t RepeatCount() const { return repeatCount_; }

    // The graphic interface.
    int32_t Width();   // of the current frame's bitmap; 0 when there is none
    int32_t Height();
    bool Empty() const;
    // At least one frame has a transparent colour.
    bool Transparent() const;

    // When on, damaged frame data marks the frame corrupted instead of failing
    // the load or the decode (of this image's frames, whenever they are decoded).
    bool TolerateCorrupt = TolerateCorruptGif;
    ImageLimits Limits = kGifLimits;
    bool PaletteModified = false;
    std::function<void()> OnChange;  // raised at the end of every load

private:
    friend class TGIFFrame;
    class Reader;
    void Reset();
    Bitmap DecodeFrame(TGIFFrame& frame, bool& corrupted);

    std::shared_ptr<TGIFData> data_;
    std::vector<std::unique_ptr<TGIFFrame>> frames_;
    TGIFVersion version_ = TGIFVersion::gvNone;
    int currentIndex_ = -1;
    uint16_t logicalWidth_ = 0;
    uint16_t logicalHeight_ = 0;
    TColor backgroundColor_ = clNone;
    bool looping_ = false;
    uint16_t repeatCount_ = 1;
};
