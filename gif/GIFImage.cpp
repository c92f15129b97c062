#include "gif/GIFImage.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "gif/LZW.h"

bool TolerateCorruptGif = true;

namespace {

const char kStreamReadError[] = "Stream read error";
const char kUnknownVersion[] = "Unknown GIF version";
const char kWrongColorCount[] = "Wrong number of colors; must be a power of 2";
const char kCodeSizeRange[] = "GIF code size not in range 2 to 9";
const char kCorruptData[] = "GIF encoded data is corrupt";

[[noreturn]] void Fail(const char* message) { throw EInvalidGraphicOperation(message); }
[[noreturn]] void ReadError() { throw EReadError(kStreamReadError); }

bool SameLetters(const uint8_t* bytes, const char* text) {
    for (int i = 0; i < 3; ++i)
        if (std::tolower(bytes[i]) != std::tolower(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

// 2 -> 1, 4 -> 2, ... 256 -> 8.
uint8_t BitsForCount(uint32_t count) {
    for (uint8_t bits = 1; bits <= 8; ++bits)
        if (count == (1u << bits)) return bits;
    Fail(kWrongColorCount);
}

}  // namespace

// ---- streams ----

void TStream::ReadBuffer(void* buffer, size_t count) {
    if (count != 0 && Read(buffer, count) != count) ReadError();
}

size_t TMemoryStream::Read(void* buffer, size_t count) {
    const size_t available = size_ - position_;
    if (count > available) count = available;
    if (count) std::memcpy(buffer, data_ + position_, count);
    position_ += count;
    return count;
}

// ---- the reader: the private copy of the file's bytes ----

class TGIFImage::Reader {
public:
    explicit Reader(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    bool AtEnd() const { return position_ >= bytes_.size(); }
    size_t Remaining() const { return bytes_.size() - position_; }
    void SkipToEnd() { position_ = bytes_.size(); }

    uint8_t Byte() {
        if (AtEnd()) ReadError();
        return bytes_[position_++];
    }
    const uint8_t* Bytes(size_t count) {
        if (count > Remaining()) ReadError();
        const uint8_t* start = bytes_.data() + position_;
        position_ += count;
        return start;
    }
    uint16_t Word() {
        const uint8_t* b = Bytes(2);
        return uint16_t(b[0] | (b[1] << 8));
    }
    // Skips zero bytes; the first non-zero byte, or 0 when the data ends first.
    uint8_t Separator() {
        while (!AtEnd()) {
            uint8_t byte = bytes_[position_++];
            if (byte != 0) return byte;
        }
        return 0;
    }
    void ColorTable(TColorTable& table, uint32_t count) {
        const uint8_t* b = Bytes(size_t(count) * 3);
        table.count = count;
        for (uint32_t i = 0; i < count; ++i) table.entries[i] = {b[3 * i], b[3 * i + 1], b[3 * i + 2]};
    }
    // A chain of data sub-blocks, up to a zero size or the end of the data; the
    // first `keep` of them are added to `data`.
    void SubBlocks(std::vector<std::string>* data, size_t keep = SIZE_MAX) {
        if (data) data->reserve(data->size() + BlocksAhead(keep));
        while (!AtEnd()) {
            uint8_t size = Byte();
            if (size == 0) return;
            const uint8_t* b = Bytes(size);
            if (data && keep > 0) {
                data->emplace_back(reinterpret_cast<const char*>(b), size);
                --keep;
            }
        }
    }

private:
    // The number of whole sub-blocks from here to a zero size or the end, up
    // to `most`.
    size_t BlocksAhead(size_t most) const {
        size_t count = 0;
        for (size_t at = position_; count < most && at < bytes_.size() && bytes_[at] != 0;
             at += 1 + size_t(bytes_[at])) {
            if (bytes_[at] > bytes_.size() - at - 1) break;
            ++count;
        }
        return count;
    }

    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};

// ---- TGIFFrame ----

TGIFFrame::TGIFFrame(TGIFImage& owner) : Item(std::make_shared<TGIFItem>()), owner_(&owner) {}

const Bitmap& TGIFFrame::GetBitmap() {
    if (!bitmap_ || bitmap_->Empty()) {
        bool corrupted = false;
        auto decoded = std::make_unique<Bitmap>(owner_->DecodeFrame(*this, corrupted));
        Corrupted = Corrupted || corrupted;
        bitmap_ = std::move(decoded);
    }
    return *bitmap_;
}

int32_t TGIFFrame::Width() {
    if (!bitmap_ && (!Item || Item->Data.empty())) return 0;
    return GetBitmap().width;
}

int32_t TGIFFrame::Height() {
    if (!bitmap_ && (!Item || Item->Data.empty())) return 0;
    return GetBitmap().height;
}

// ---- TGIFImage ----

TGIFImage::TGIFImage() : data_(std::make_shared<TGIFData>()) {}

void TGIFImage::Reset() {
    data_ = std::make_shared<TGIFData>();
    frames_.clear();
    currentIndex_ = -1;
    backgroundColor_ = clNone;
    repeatCount_ = 1;
    looping_ = false;
    version_ = TGIFVersion::gvNone;
    logicalWidth_ = logicalHeight_ = 0;
}

void TGIFImage::LoadFromMemory(const void* data, size_t size) {
    TMemoryStream stream(data, size);
    ReadGifData(size, stream, true);
}

void TGIFImage::ReadGifData(size_t count, TStream& stream, bool decodeFirst) {
    Reset();
    if (count > Limits.maxFileBytes) Fail("The picture is too large");
    // A size of 0 is taken from elsewhere (a frame from the logical screen).
    const auto checkSize = [&](int32_t width, int32_t height) {
        if (width <= 0 || height <= 0) return;
        if (const char* broken = BrokenImageBound(Limits, width, height, 32, count)) Fail(broken);
    };
    std::vector<uint8_t> copy(count);
    stream.ReadBuffer(copy.data(), count);
    Reader in(std::move(copy));

    if (count > 0) {
        const uint8_t* signature = in.Bytes(3);
        if (!SameLetters(signature, "GIF")) Fail(kUnknownVersion);
        const uint8_t* version = in.Bytes(3);
        if (SameLetters(version, "87a"))
            version_ = TGIFVersion::gv87a;
        else if (SameLetters(version, "89a"))
            version_ = TGIFVersion::gv89a;
        else
            Fail(kUnknownVersion);

        logicalWidth_ = in.Word();
        logicalHeight_ = in.Word();
        checkSize(logicalWidth_, logicalHeight_);
        const uint8_t packed = in.Byte();
        const uint8_t backgroundIndex = in.Byte();
        TGIFData& data = *data_;
        data.AspectRatio = in.Byte();
        data.BitsPerPixel = (packed & 7) + 1;
        data.ColorResolution = ((packed & 0x70) >> 4) + 1;
        if (packed & 0x80) {
            in.ColorTable(data.ColorTable, 1u << data.BitsPerPixel);
            if (backgroundIndex < data.ColorTable.count) backgroundColor_ = data.ColorTable.Color(backgroundIndex);
        }

        uint8_t separator = in.Separator();
        while (separator != 0 && separator != ';' && !in.AtEnd()) {
            // An extension run: graphic control and comment blocks are kept.
            std::vector<TExtension> run;
            bool hadRun = false;
            while (separator == '!') {
                hadRun = true;
                const uint8_t label = in.Byte();
                TExtension extension;
                switch (label) {
                case 0xF9: {
                    const uint8_t* header = in.Bytes(6);
                    extension.Kind = TExtensionKind::GraphicControl;
                    extension.Header.assign(header, header + 6);
                    run.push_back(std::move(extension));
                    break;
                }
                case 0xFE:
                    extension.Kind = TExtensionKind::Comment;
                    in.SubBlocks(&extension.Data);
                    run.push_back(std::move(extension));
                    break;
                case 0x01:
                    in.Bytes(13);
                    in.SubBlocks(nullptr);
                    run.clear();  // plain text voids what came before it in the run
                    break;
                case 0xFF: {
                    const uint8_t* header = in.Bytes(12);
                    std::vector<std::string> strings;  // the first sub-block: the loop block's
                    in.SubBlocks(&strings, 1);
                    const size_t length = std::min<size_t>(header[0], 11);
                    const bool loopBlock = std::memcmp(header + 1, "NETSCAPE2.0", length) == 0 ||
                                           std::memcmp(header + 1, "ANIMEXTS1.0", length) == 0;
                    if (loopBlock && !strings.empty() && strings[0].size() >= 3 && strings[0][0] == 1) {
                        looping_ = true;
                        const unsigned repeat =
                            uint8_t(strings[0][1]) | (unsigned(uint8_t(strings[0][2])) << 8);
                        repeatCount_ = uint16_t(std::min(repeat, 30000u));
                    }
                    break;
                }
                default: {
                    char message[64];
                    std::snprintf(message, sizeof message, "Unrecognized extension block: %.2X", label);
                    Fail(message);
                }
                }
                separator = in.AtEnd() ? ';' : in.Separator();
            }

            if (separator == ',') {
                auto frame = std::make_unique<TGIFFrame>(*this);
                TGIFItem& item = *frame->Item;
                if (data.ColorTable.count > 0) item.BitsPerPixel = BitsForCount(data.ColorTable.count);
                frame->Extensions = std::move(run);

                frame->Left = in.Word();
                frame->Top = in.Word();
                int32_t width = in.Word();
                int32_t height = in.Word();
                const uint8_t imagePacked = in.Byte();
                frame->Interlaced = (imagePacked & 0x40) != 0;
                if (imagePacked & 0x80) {
                    item.BitsPerPixel = (imagePacked & 7) + 1;
                    in.ColorTable(item.ColorTable, 1u << item.BitsPerPixel);
                    frame->HasLocalColorTable = true;
                } else {
                    item.ColorTable.count = 0;
                }

                // The encoded data exactly as in the file, up to its terminator:
                // one span of the file, copied once its end is known.
                const uint8_t* encoded = in.Bytes(1);
                size_t encodedSize = 1;
                while (!in.AtEnd()) {
                    const uint8_t size = in.Byte();
                    if (size > in.Remaining()) {
                        frame->Corrupted = true;
                        in.SkipToEnd();
                        break;
                    }
                    in.Bytes(size);
                    encodedSize += 1 + size_t(size);
                    if (size == 0) break;
                }
                item.Data.assign(encoded, encoded + encodedSize);
                if (frame->Corrupted && !TolerateCorrupt) ReadError();

                item.Width = width ? width : logicalWidth_;
                item.Height = height ? height : logicalHeight_;
                checkSize(item.Width, item.Height);
                item.PackedFields = imagePacked;
                if (!frame->HasLocalColorTable) item.ColorTable = data.ColorTable;

                for (const TExtension& extension : frame->Extensions) {
                    if (extension.Kind != TExtensionKind::GraphicControl) continue;
                    if (extension.HasTransparency()) {
                        if (extension.TransparentIndex() < item.ColorTable.count)
                            frame->TransparentColor = item.ColorTable.Color(extension.TransparentIndex());
                    } else {
                        frame->TransparentColor = clNone;
                    }
                    frame->Delay = std::max<uint32_t>(frame->Delay, uint32_t(extension.DelayHundredths()) * 10);
                    frame->Disposal = extension.Disposal();
                }
                frames_.push_back(std::move(frame));

                if (in.AtEnd()) {
                    separator = ';';
                } else {
                    separator = in.Separator();
                    if (separator != '!' && separator != ',' && separator != ';') separator = 0;
                }
            } else if (hadRun) {
                // Comments after the last image become the image's comment, once:
                // a line per sub-block, and a line of CR LF CR LF before each
                // further comment block once there is text.
                if (data.Comment.empty()) {
                    for (const TExtension& extension : run) {
                        if (extension.Kind != TExtensionKind::Comment) continue;
                        if (!data.Comment.empty()) data.Comment.emplace_back("\r\n\r\n");
                        data.Comment.insert(data.Comment.end(), extension.Data.begin(), extension.Data.end());
                    }
                }
            } else if (separator != 0 && separator != ';') {
                ReadError();
            }
        }

        if (!frames_.empty()) {
            currentIndex_ = 0;
            if (decodeFirst) {
                try {
                    frames_[0]->GetBitmap();
                } catch (...) {
                    frames_.erase(frames_.begin());
                    throw;
                }
            }
        }
    }
    PaletteModified = true;
    if (OnChange) OnChange();
}

void TGIFImage::Assign(const TGIFImage& source) {
    if (&source == this) return;
    data_ = source.data_;
    version_ = source.version_;
    backgroundColor_ = source.backgroundColor_;
    repeatCount_ = source.repeatCount_;
    looping_ = source.looping_;
    logicalWidth_ = source.logicalWidth_;
    logicalHeight_ = source.logicalHeight_;
    frames_.clear();
    for (const auto& from : source.frames_) {
        auto frame = std::make_unique<TGIFFrame>(*this);
        frame->Item = from->Item;
        frame->Extensions = from->Extensions;
        frame->Left = from->Left;
        frame->Top = from->Top;
        frame->Interlaced = from->Interlaced;
        frame->Corrupted = from->Corrupted;
        frame->TransparentColor = from->TransparentColor;
        frame->Delay = from->Delay;
        frame->Disposal = from->Disposal;
        frame->HasLocalColorTable = from->HasLocalColorTable;
        frames_.push_back(std::move(frame));
    }
    currentIndex_ = source.currentIndex_;
    PaletteModified = true;
    if (OnChange) OnChange();
}

int32_t TGIFImage::Width() {
    if (currentIndex_ < 0 || currentIndex_ >= FrameCount()) return 0;
    return frames_[size_t(currentIndex_)]->GetBitmap().width;
}

int32_t TGIFImage::Height() {
    if (currentIndex_ < 0 || currentIndex_ >= FrameCount()) return 0;
    return frames_[size_t(currentIndex_)]->GetBitmap().height;
}


bool TGIFImage::Empty() const {
    if (frames_.empty()) return true;
    const size_t index = size_t(std::max(currentIndex_, 0));
    if (index >= frames_.size()) return true;
    const TGIFFrame& frame = *frames_[index];
    return !frame.bitmap_ && (!frame.Item || frame.Item->Data.empty());
}

bool TGIFImage::Transparent() const {
    return std::any_of(frames_.begin(), frames_.end(),
                       [](const auto& frame) { return frame->TransparentColor != clNone; });
}

// ---- frame decoding ----

Bitmap TGIFImage::DecodeFrame(TGIFFrame& frame, bool& corrupted) {
    const TGIFItem& item = *frame.Item;
    int depth;
    switch (item.BitsPerPixel) {
    case 1: depth = 1; break;
    case 2: case 3: case 4: depth = 4; break;
    case 5: case 6: case 7: case 8: depth = 8; break;
    default: Fail(kWrongColorCount);
    }

    Bitmap bitmap;
    bitmap.palette.resize(size_t(1) << depth, PaletteEntry{128, 128, 128, 0});
    for (uint32_t i = 0; i < item.ColorTable.count && i < bitmap.palette.size(); ++i) {
        const auto& rgb = item.ColorTable.entries[i];
        bitmap.palette[i] = PaletteEntry{rgb[2], rgb[1], rgb[0], 0};
    }
    bitmap.Reset(item.Width, item.Height, depth);

    if (item.Data.empty()) ReadError();
        unsigned minimum = item.Data[0];
        if (minimum < 2 || minimum > 9) {
            if (!TolerateCorrupt) Fail(kCodeSizeRange);
            corrupted = true;
            minimum = std::clamp(minimum, 2u, 9u);
        }

        // A code is a pixel value below 2^b (b: the frame's bits per pixel) and
        // below the clear code; a table deeper than the code size must not turn
        // string codes into pixels.
        const unsigned literals = std::min(1u << item.BitsPerPixel, 1u << minimum);
        PixelSink sink(bitmap, frame.Interlaced);
        const LzwEnd end = DecodeLzw(item.Data, minimum, literals, sink, corrupted);
        if (end == LzwEnd::Corrupt && !TolerateCorrupt) Fail(kCorruptData);
        const bool endOfData = end == LzwEnd::EndOfData;

        // Data that ends before the picture is complete: the rest stays index 0.
        sink.Flush();
        if (endOfData && !sink.Done()) {
            if (!TolerateCorrupt) ReadError();
            corrupted = true;
        }
    return bitmap;
}
