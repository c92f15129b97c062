// gifinfo FILE: what the program's GIF decoder reads from a file. Prints the
// header and one line per frame, with a CRC-32 of the frame's pixels as 8-bit
// palette indices (rows top to bottom). Exits with status 1 and the decoder's
// message when the file cannot be read.
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "tools/Crc32.h"
#include "tools/GifText.h"

namespace {

std::string ColorText(TColor color) {
    if (color == clNone) return "none";
    return RgbText(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

// The comment as one line: printable ASCII kept, everything else escaped.
std::string Quoted(const std::vector<std::string>& lines) {
    std::string out = "\"";
    for (const std::string& line : lines) AppendEscaped(out, reinterpret_cast<const unsigned char*>(line.data()), line.size());
    return out + "\"";
}

uint32_t PixelCrc(const Bitmap& bitmap) {
    Crc32 crc;
    std::vector<uint8_t> row(size_t(bitmap.width));
    for (int32_t y = 0; y < bitmap.height; ++y) {
        const uint8_t* in = bitmap.Row(y);
        for (int32_t x = 0; x < bitmap.width; ++x) {
            switch (bitmap.bitsPerPixel) {
            case 8: row[size_t(x)] = in[x]; break;
            case 4: row[size_t(x)] = (in[x / 2] >> ((x & 1) ? 0 : 4)) & 15; break;
            default: row[size_t(x)] = (in[x / 8] >> (7 - x % 8)) & 1; break;
            }
        }
        crc.Add(row.data(), row.size());
    }
    return crc.Value();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gifinfo FILE\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "gifinfo: cannot open %s\n", argv[1]);
        return 1;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    try {
        TGIFImage image;
        image.LoadFromMemory(bytes.data(), bytes.size());
        static const char* const kVersions[] = {"none", "87a", "89a"};
        std::printf("version %s\n", kVersions[int(image.Version())]);
        std::printf("size %ux%u\n", image.LogicalWidth(), image.LogicalHeight());
        std::printf("background %s\n", ColorText(image.BackgroundColor()).c_str());
        std::printf("looping %s repeat %u\n", image.Looping() ? "yes" : "no", image.RepeatCount());
        std::printf("frames %d\n", image.FrameCount());
        std::printf("comment %s\n", Quoted(image.Data().Comment).c_str());
        for (int i = 0; i < image.FrameCount(); ++i) {
            TGIFFrame& frame = image.Frame(i);
            const Bitmap& bitmap = frame.GetBitmap();
            std::printf("frame %d left %d top %d width %d height %d delay %u disposal %u transparent %s "
                        "interlaced %s corrupted %s crc %08x\n",
                        i, frame.Left, frame.Top, bitmap.width, bitmap.height, frame.Delay, frame.Disposal,
                        ColorText(frame.TransparentColor).c_str(), frame.Interlaced ? "yes" : "no",
                        frame.Corrupted ? "yes" : "no", PixelCrc(bitmap));
        }
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
