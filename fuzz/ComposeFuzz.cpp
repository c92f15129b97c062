// libFuzzer target: a picture file drawn on two monitors as a change with
// "fitscreen" does it. The input is written to a scratch file (.bmp when it
// starts with "BM", .jpg otherwise); its last four bytes choose the monitors'
// sizes, where the second stands (left of, right of or below the primary) and
// fit or fill (a JPEG decoder stops at its end marker and a BMP reader at its
// last row, so they rarely read them). ComposeWallpaper must either refuse the
// picture, leaving the old file, or write the bounding rectangle in which
// every pixel no monitor covers is the background, and each monitor's
// picture rows are those of the same picture decoded whole and scaled row by
// row from the top: whatever order the file gives its rows in, the result is
// the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/Compose.h"
#include "engine/PictureFile.h"
#include "fuzz/ClaimedSize.h"
#include "fuzz/Scratch.h"
#include "image/BmpCodec.h"
#include "image/PictureReader.h"
#include "image/Resample.h"
#include "platform/Platform.h"

namespace {

constexpr uint32_t kBackground = 0x00336699;
// For fuzzing only: larger pictures cost time, not coverage.
constexpr uint64_t kMaxFuzzPixels = uint64_t(1) << 18;

// The picture's rows decoded whole, each as 24-bit BGR, top row first.
class WholePicture final : public PictureSink {
public:
    void Begin(const PixelFormat& format) override {
        format_ = format;
        rows.assign(size_t(format.height), std::vector<uint8_t>(3 * size_t(format.width)));
    }
    void Row(int32_t y, const uint8_t* row) override { RowToBgr24(format_, row, rows[size_t(y)].data()); }
    std::vector<std::vector<uint8_t>> rows;

private:
    PixelFormat format_;
};

// The window of monitor `m` as a whole decode scaled from the top gives it.
std::vector<std::vector<uint8_t>> Reference(const std::string& file, bool bmp, const MonitorRect& m, ScreenFit fit,
                                            Placement& place, ResampleWindow& window) {
    std::unique_ptr<platform::InputFile> input = platform::OpenInputFile(file);
    PictureFileSource source(*input);
    const OpenedPicture opened = OpenPicture(bmp ? PictureKind::Bmp : PictureKind::Jpeg, source);
    place = PlacePicture(opened.header.width, opened.header.height, m.width, m.height, fit);
    ReadOptions read;
    read.background = kBackground;
    if (opened.header.scalable) {
        read.denominator = 8;
        read.numerator = JpegScaleFor(opened.header.width, opened.header.height, place.width, place.height);
    }
    WholePicture picture;
    opened.reader->Rows(picture, read);
    const int32_t width = picture.rows.empty() ? 0 : int32_t(picture.rows[0].size() / 3);
    const int32_t height = int32_t(picture.rows.size());
    window.x = std::max(0, -place.x);
    window.y = std::max(0, -place.y);
    window.width = std::min(place.width, m.width - place.x) - window.x;
    window.height = std::min(place.height, m.height - place.y) - window.y;
    std::vector<std::vector<uint8_t>> rows(static_cast<size_t>(window.height));
    RowResampler resampler(width, height, place.width, place.height, window,
                           [&](int32_t y, const uint8_t* bgr) { rows[size_t(y)].assign(bgr, bgr + 3 * size_t(window.width)); });
    for (int32_t y = 0; y < height; ++y) resampler.Add(y, picture.rows[size_t(y)].data());
    return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    const bool bmp = data[0] == 'B' && data[1] == 'M';
    const std::optional<PictureHeader> claimed =
        ClaimedPictureSize(bmp ? PictureKind::Bmp : PictureKind::Jpeg, data, size);
    if (claimed && uint64_t(claimed->width) * uint64_t(claimed->height) > kMaxFuzzPixels) return 0;
    const uint8_t* tail = data + size - 4;
    const MonitorRect primary{0, 0, 1 + tail[0] % 48, 1 + tail[1] % 48, true};
    MonitorRect second{0, 0, 1 + tail[2] % 40, 1 + (tail[3] >> 3) % 40, false};
    switch ((tail[3] >> 1) & 3) {
    case 0: second.x = -second.width; second.y = -(tail[2] % 7); break;
    case 1: second.x = primary.width; second.y = tail[2] % 9; break;
    default: second.x = tail[1] % 5; second.y = primary.height; break;
    }
    const ScreenFit fit = (tail[3] & 1) ? ScreenFit::Fill : ScreenFit::Fit;
    const ScreenLayout layout({primary, second});

    static const std::string bmpFile = ScratchPath("compose-fuzz", ".bmp");
    static const std::string jpegFile = ScratchPath("compose-fuzz", ".jpg");
    static const std::string wallpaper = ScratchPath("compose-fuzz", "-wallpaper.bmp");
    const std::string& file = bmp ? bmpFile : jpegFile;
    WriteScratchFile(file, data, size);
    static const std::vector<uint8_t> previous = {'o', 'l', 'd'};
    WriteScratchFile(wallpaper, previous.data(), previous.size());
    bool written = true;
    try {
        size_t given = 0;
        ComposeWallpaper(layout, {kBackground, fit, false},
                         [&](bool retry) -> std::optional<std::string> {
                             if (retry || given++ >= 2) return std::nullopt;
                             return file;
                         },
                         wallpaper);
    } catch (const std::exception&) {
        written = false;
    }
    const std::vector<uint8_t> result = platform::ReadFileBytes(wallpaper, size_t(1) << 24);
    if (platform::FileExists(wallpaper + ".tmp")) __builtin_trap();
    if (!written) {
        if (result != previous) __builtin_trap();
        return 0;
    }
    const Bitmap out = DecodeBmp(result.data(), result.size());
    const VirtualRect bounds = layout.Bounds();
    if (out.width != bounds.width || out.height != bounds.height || out.bitsPerPixel != 24) __builtin_trap();
    const uint8_t background[3] = {0x33, 0x66, 0x99};  // blue, green, red of 0x00336699
    for (int32_t y = 0; y < out.height; ++y)
        for (int32_t x = 0; x < out.width; ++x) {
            const int32_t vx = x + bounds.left, vy = y + bounds.top;
            bool covered = false;
            for (const MonitorRect& m : layout.Monitors())
                covered = covered || (vx >= m.x && vx < m.x + m.width && vy >= m.y && vy < m.y + m.height);
            if (!covered && std::memcmp(out.Row(y) + 3 * x, background, 3) != 0) __builtin_trap();
        }
    for (const MonitorRect& m : layout.Monitors()) {
        Placement place;
        ResampleWindow window;
        const std::vector<std::vector<uint8_t>> rows = Reference(file, bmp, m, fit, place, window);
        const int32_t left = std::max(0, place.x), top = std::max(0, place.y);
        for (int32_t r = 0; r < window.height; ++r) {
            const uint8_t* at = out.Row(m.y - bounds.top + top + r) + 3 * size_t(m.x - bounds.left + left);
            if (std::memcmp(at, rows[size_t(r)].data(), rows[size_t(r)].size()) != 0) __builtin_trap();
        }
    }
    return 0;
}
