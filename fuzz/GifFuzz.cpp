// libFuzzer target: reads whole GIF files as the banner's resource is read,
// decodes the frames and composes the animation, as the banner control does. Any input may fail with the
// decoder's errors; none may crash, hang or touch memory outside its buffers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>

#include "gif/GIFCompose.h"
#include "gif/GIFImage.h"

namespace {
// For fuzzing only: frames and screens beyond these sizes are not decoded or
// composed. A file of a few bytes may claim a screen of millions of pixels, and
// clearing those took most of the time while finding nothing that smaller
// pictures do not show (the decoder and the composer clip the same way at any
// size). The program itself takes any size the bitmap type holds.
constexpr int64_t kMaxFramePixels = int64_t(1) << 16;
constexpr int64_t kMaxScreenPixels = int64_t(1) << 16;
// Frames decoded and composed per input (the program takes all of them, in
// turn). Every frame is decoded by the same code and drawn by the same rules;
// what the composer carries from frame to frame is the previous frame's
// disposal and the cached composite, so eight frames still give every pair of
// disposals and full recompositions that replay several frames. Inputs of
// dozens of frames on a screen of the banner's size made decoding and drawing
// most of a long run's time.
constexpr int kMaxComposedFrames = 8;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The banner is read as the program reads it, the first frame decoded at
    // load (a frame that fails then is dropped). Only a first frame past the
    // fuzzing cap is left to the loop below, which passes it over.
    TGIFImage image;
    bool decodeFirst = true;
    try {
        TMemoryStream headers(data, size);
        image.ReadGifData(size, headers, false);
        decodeFirst = image.FrameCount() > 0 &&
                      int64_t(image.Frame(0).Item->Width) * image.Frame(0).Item->Height <= kMaxFramePixels;
    } catch (const std::exception&) {
        decodeFirst = false;
    }
    if (decodeFirst) {
        TMemoryStream stream(data, size);
        try {
            image.ReadGifData(size, stream, true);
        } catch (const std::exception&) {
        }
    }
    bool allDecoded = true;
    for (int i = 0; i < image.FrameCount() && i < kMaxComposedFrames; ++i) {
        TGIFFrame& frame = image.Frame(i);
        if (int64_t(frame.Item->Width) * frame.Item->Height > kMaxFramePixels) {
            allDecoded = false;
            continue;
        }
        try {
            frame.GetBitmap();
        } catch (const std::exception&) {
            allDecoded = false;
        }
    }
    if (allDecoded && image.FrameCount() > 0 &&
        int64_t(image.LogicalWidth()) * image.LogicalHeight() <= kMaxScreenPixels) {
        TGIFComposer composer;
        TColor transparent;
        // Frame after frame as the animation runs (each step draws only the
        // new frame), then the last of them once more from scratch.
        const int frames = std::min(image.FrameCount(), kMaxComposedFrames);
        try {
            for (int i = 0; i < frames; ++i) composer.Compose(image, i, 0xFFFFFF, true, transparent);
            composer.Compose(image, frames - 1, 0xFFFFFF, false, transparent);
        } catch (const std::exception&) {
        }
    }
    return 0;
}
