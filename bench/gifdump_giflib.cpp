// gifdump_giflib FILE: reads a GIF with giflib and prints it in the format of
// tools/gifinfo, applying the program's documented rules where GIF leaves a
// choice (colours of indices beyond the table, delays in milliseconds, the loop
// block, the comment after the last image), so that the two outputs can be
// compared line by line. Used by bench/compare-giflib.sh.
#include <gif_lib.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/Crc32.h"
#include "tools/GifText.h"

namespace {

std::string ColorText(const GifColorType* color) {
    return color ? RgbText(color->Red, color->Green, color->Blue) : "none";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gifdump_giflib FILE\n");
        return 2;
    }
    int error = 0;
    GifFileType* gif = DGifOpenFileName(argv[1], &error);
    if (!gif) {
        std::fprintf(stderr, "%s\n", GifErrorString(error));
        return 1;
    }
    if (DGifSlurp(gif) != GIF_OK) {
        std::fprintf(stderr, "%s\n", GifErrorString(gif->Error));
        DGifCloseFile(gif, &error);
        return 1;
    }
    const ColorMapObject* global = gif->SColorMap;
    // giflib names the version its content needs; the file's own is wanted here.
    char header[7] = {};
    if (FILE* raw = std::fopen(argv[1], "rb")) {
        if (std::fread(header, 1, 6, raw) != 6) header[0] = 0;
        std::fclose(raw);
    }
    std::string version(header + 3, header[0] ? 3 : 0);
    for (char& c : version) c = char(std::tolower(static_cast<unsigned char>(c)));
    std::printf("version %s\n", version.c_str());
    std::printf("size %dx%d\n", gif->SWidth, gif->SHeight);
    const GifColorType* background =
        global && gif->SBackGroundColor < global->ColorCount ? &global->Colors[gif->SBackGroundColor] : nullptr;
    std::printf("background %s\n", ColorText(background).c_str());

    // Loop blocks may sit before any image: giflib keeps them with that image.
    bool looping = false;
    unsigned repeat = 1;
    auto scanLoop = [&](const ExtensionBlock* blocks, int count) {
        for (int i = 0; i + 1 < count; ++i) {
            const ExtensionBlock& app = blocks[i];
            if (app.Function != APPLICATION_EXT_FUNC_CODE || app.ByteCount < 11) continue;
            if (std::memcmp(app.Bytes, "NETSCAPE2.0", 11) != 0 && std::memcmp(app.Bytes, "ANIMEXTS1.0", 11) != 0)
                continue;
            const ExtensionBlock& data = blocks[i + 1];
            if (data.Function == CONTINUE_EXT_FUNC_CODE && data.ByteCount >= 3 && data.Bytes[0] == 1) {
                looping = true;
                repeat = std::min(30000u, unsigned(data.Bytes[1] | (data.Bytes[2] << 8)));
            }
        }
    };
    for (int f = 0; f < gif->ImageCount; ++f) scanLoop(gif->SavedImages[f].ExtensionBlocks, gif->SavedImages[f].ExtensionBlockCount);
    scanLoop(gif->ExtensionBlocks, gif->ExtensionBlockCount);
    std::printf("looping %s repeat %u\n", looping ? "yes" : "no", repeat);
    std::printf("frames %d\n", gif->ImageCount);

    // The comment: comment blocks after the last image.
    std::string comment = "\"";
    bool inComment = false, any = false;
    for (int i = 0; i < gif->ExtensionBlockCount; ++i) {
        const ExtensionBlock& block = gif->ExtensionBlocks[i];
        if (block.Function == COMMENT_EXT_FUNC_CODE) {
            if (any) AppendEscaped(comment, reinterpret_cast<const unsigned char*>("\r\n\r\n"), 4);
            any = inComment = true;
            AppendEscaped(comment, block.Bytes, size_t(block.ByteCount));
        } else if (block.Function == CONTINUE_EXT_FUNC_CODE && inComment) {
            AppendEscaped(comment, block.Bytes, size_t(block.ByteCount));
        } else {
            inComment = false;
        }
    }
    std::printf("comment %s\"\n", comment.c_str());

    for (int f = 0; f < gif->ImageCount; ++f) {
        const SavedImage& image = gif->SavedImages[f];
        const GifImageDesc& desc = image.ImageDesc;
        const ColorMapObject* table = desc.ColorMap ? desc.ColorMap : global;
        const int count = table ? table->ColorCount : 0;
        unsigned delay = 0, disposal = 0;
        const GifColorType* transparent = nullptr;
        for (int i = 0; i < image.ExtensionBlockCount; ++i) {
            const ExtensionBlock& block = image.ExtensionBlocks[i];
            if (block.Function != GRAPHICS_EXT_FUNC_CODE || block.ByteCount < 4) continue;
            const unsigned char* b = block.Bytes;
            if (b[0] & 1) {
                if (b[3] < count) transparent = &table->Colors[b[3]];
            } else {
                transparent = nullptr;
            }
            delay = std::max(delay, unsigned(b[1] | (b[2] << 8)) * 10);
            disposal = (b[0] & 0x1C) >> 2;
        }
        // DGifSlurp puts an interlaced image's rows back in picture order.
        const int width = desc.Width, height = desc.Height;
        Crc32 crc;
        for (int y = 0; y < height; ++y) crc.Add(image.RasterBits + size_t(y) * size_t(width), size_t(width));
        std::printf("frame %d left %d top %d width %d height %d delay %u disposal %u transparent %s "
                    "interlaced %s corrupted no crc %08x\n",
                    f, desc.Left, desc.Top, width, height, delay, disposal, ColorText(transparent).c_str(),
                    desc.Interlace ? "yes" : "no", crc.Value());
    }
    DGifCloseFile(gif, &error);
    return 0;
}
