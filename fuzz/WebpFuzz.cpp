// libFuzzer target: a WebP file through the change and the preview
// (FuzzPictureFile), read by libwebp under our reader.
#include "fuzz/PictureFileFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzPictureFile(PictureKind::Webp, "webp", data, size);
    return 0;
}
