// libFuzzer target: a PNG file through the change and the preview
// (FuzzPictureFile), read by libspng under our reader.
#include "fuzz/PictureFileFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzPictureFile(PictureKind::Png, "png", data, size);
    return 0;
}
