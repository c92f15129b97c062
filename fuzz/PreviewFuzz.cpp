// libFuzzer target: the preview. An input is one of two kinds:
//  - A picture file: one starting with "BM" (named picture.bmp) or with
//    0xFF 0xD8 (named picture.jpg), its last two bytes giving the preview box.
//    The file is written to a scratch file and loaded the way the preview loads
//    a picture (LoadPreviewPicture: the size held to the bounds, a large JPEG
//    decoded at 1/2, 1/4 or 1/8, the picture reduced into the box).
//  - Otherwise, a picture as the decoders hand it over (its size, depth,
//    palette or masks and pixels, from the input's first bytes) and a preview
//    box; the picture is placed in the box and reduced to the place's size, as
//    the preview does.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "image/Bitmap.h"
#include "engine/PictureFile.h"
#include "engine/Thumbnail.h"
#include "fuzz/ClaimedSize.h"
#include "fuzz/Scratch.h"

namespace {
// For fuzzing only: the reduction costs a few operations per source pixel, and
// larger pictures would only repeat what these show.
constexpr int32_t kMaxFuzzSide = 64;
constexpr int32_t kMaxFuzzBox = 256;
// For fuzzing only: picture files the preview would take that claim more
// pixels than these are passed over (a JPEG may claim more: the preview decodes
// a large one scaled, and its 640 × 480 seeds are to be taken). Files past the
// program's own bounds are not passed over: the preview refuses them before it
// asks for their memory.
constexpr uint64_t kMaxFuzzBmpPixels = uint64_t(1) << 16;
constexpr uint64_t kMaxFuzzJpegPixels = uint64_t(1) << 19;

bool WithinBoundsButLarge(bool bmp, const uint8_t* data, size_t size) {
    const std::optional<PictureHeader> claimed = ClaimedPictureSize(bmp ? PictureKind::Bmp : PictureKind::Jpeg, data, size);
    if (!claimed) return false;  // the preview refuses it too: let it
    const uint64_t pixels = uint64_t(claimed->width) * uint64_t(claimed->height);
    return pixels > (bmp ? kMaxFuzzBmpPixels : kMaxFuzzJpegPixels);
}

void PreviewFile(bool bmp, const uint8_t* data, size_t size) {
    if (size < 4 || WithinBoundsButLarge(bmp, data, size)) return;
    const int32_t boxWidth = 1 + data[size - 2] % kMaxFuzzBox, boxHeight = 1 + data[size - 1] % kMaxFuzzBox;
    static const std::string bmpFile = ScratchPath("preview-fuzz", ".bmp");
    static const std::string jpegFile = ScratchPath("preview-fuzz", ".jpg");
    const std::string& file = bmp ? bmpFile : jpegFile;
    WriteScratchFile(file, data, size);
    Bitmap shown;
    try {
        shown = LoadPreviewPicture(file, boxWidth, boxHeight);
    } catch (const std::exception&) {
        return;
    }
    if (shown.width < 1 || shown.height < 1 || shown.width > boxWidth || shown.height > boxHeight ||
        shown.bitsPerPixel != 24)
        __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const bool bmp = size >= 2 && data[0] == 'B' && data[1] == 'M';
    if (bmp || (size >= 2 && data[0] == 0xFF && data[1] == 0xD8)) {
        PreviewFile(bmp, data, size);
        return 0;
    }
    FuzzedDataProvider input(data, size);
    static const int kDepths[] = {1, 4, 8, 16, 24, 32};
    Bitmap source;
    const int32_t width = input.ConsumeIntegralInRange<int32_t>(1, kMaxFuzzSide);
    const int32_t height = input.ConsumeIntegralInRange<int32_t>(1, kMaxFuzzSide);
    const int bits = input.PickValueInArray(kDepths);
    const int32_t boxWidth = input.ConsumeIntegralInRange<int32_t>(1, kMaxFuzzBox);
    const int32_t boxHeight = input.ConsumeIntegralInRange<int32_t>(1, kMaxFuzzBox);
    source.Reset(width, height, bits);
    if (bits <= 8) source.palette.resize(input.ConsumeIntegralInRange<size_t>(0, size_t(1) << bits));
    for (PaletteEntry& entry : source.palette) entry = {input.ConsumeIntegral<uint8_t>(), input.ConsumeIntegral<uint8_t>(),
                                                         input.ConsumeIntegral<uint8_t>(), 0};
    if (bits == 16 || bits == 32)
        for (uint32_t& mask : source.masks) mask = input.ConsumeIntegral<uint32_t>();
    const std::string pixels = input.ConsumeRemainingBytesAsString();
    std::memcpy(source.pixels.data(), pixels.data(), std::min(pixels.size(), source.pixels.size()));

    const PreviewPlacement place = PlacePreview(width, height, boxWidth, boxHeight);
    if (place.width < 1 || place.height < 1 || place.width > boxWidth || place.height > boxHeight ||
        place.x < 0 || place.y < 0)
        __builtin_trap();
    const Bitmap reduced = ReducePicture(source, std::min(place.width, width), std::min(place.height, height));
    if (reduced.width != std::min(place.width, width) || reduced.height != std::min(place.height, height))
        __builtin_trap();
    // Kept at its size, a 24-bit picture stays exactly as it was.
    if (bits == 24 && reduced.width == width && reduced.height == height)
        for (int32_t y = 0; y < height; ++y)
            if (std::memcmp(reduced.Row(y), source.Row(y), size_t(width) * 3) != 0) __builtin_trap();
    return 0;
}
