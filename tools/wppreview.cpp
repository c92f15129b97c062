// wppreview PICTURE OUT.bmp
//
// Loads one picture as the main window's preview does (the same reading, the
// same reduction into the preview's box of 170 × 130) and writes the picture
// the preview would show as a 24-bit BMP file. For comparing the preview with
// other image tools, and for measuring what the preview costs.
#include <cstdio>
#include <exception>

#include "engine/Thumbnail.h"
#include "image/BmpCodec.h"
#include "platform/Platform.h"

int main(int argc, char** argv) {
    if (argc != 3 || argv[1][0] == '-' || argv[2][0] == '-') {
        std::fprintf(stderr,
                     "usage: wppreview PICTURE OUT.bmp\n"
                     "  PICTURE  a .bmp, .jpg, .jpeg, .png or .webp file, in any letter case\n");
        return 2;
    }
    try {
        const Bitmap shown = LoadPreviewPicture(argv[1], kPreviewBoxWidth, kPreviewBoxHeight);
        platform::WriteFileReplacing(argv[2], [&](platform::OutputFile& out) {
            EncodeBmp(shown, [&](const void* data, size_t size) { out.Write(data, size); });
        });
    } catch (const std::exception& error) {
        std::fprintf(stderr, "wppreview: %s: %s\n", argv[1], error.what());
        return 1;
    }
    return 0;
}
