// libFuzzer target: the preview's reduction. An input is a picture as the
// decoders hand it over (its size, depth, palette or masks and pixels, from the
// input's first bytes) and a preview box; the picture is placed in the box and
// reduced to the place's size, as the preview does.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "image/Bitmap.h"
#include "engine/Thumbnail.h"

namespace {
// For fuzzing only: the reduction costs a few operations per source pixel, and
// larger pictures would only repeat what these show.
constexpr int32_t kMaxFuzzSide = 64;
constexpr int32_t kMaxFuzzBox = 256;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
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
