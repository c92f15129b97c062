// The wallpaper canvas as RenderWallpaper writes it, read back, for tests that
// look at its pixels.
#pragma once

#include <string>
#include <vector>

#include "TestSupport.h"
#include "engine/Render.h"
#include "image/BmpCodec.h"
#include "platform/Platform.h"

namespace testing_support {

inline Bitmap RenderCanvas(const std::string& picture, const RenderOptions& options) {
    TempFolder scratch;
    const std::string written = scratch / "canvas.bmp";
    RenderWallpaper(picture, options, written);
    const std::vector<uint8_t> bytes = platform::ReadFileBytes(written, size_t(1) << 30);
    return DecodeBmp(bytes.data(), bytes.size());
}

}  // namespace testing_support
