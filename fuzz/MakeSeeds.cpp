// Writes the fuzz targets' seed files: small pictures and texts of every kind
// the readers take, made here rather than kept in the repository.
//   fuzz_seeds FOLDER    makes FOLDER/bmp, FOLDER/change, FOLDER/compose, FOLDER/ini and FOLDER/preview
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "image/BmpCodec.h"
#include "tests/image/CraftedPictures.h"
#include "tests/image/JpegFixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Save(const std::string& folder, const std::string& name, const Bytes& bytes) {
    mkdir(folder.c_str(), 0755);
    FILE* out = std::fopen((folder + "/" + name).c_str(), "wb");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
        std::perror(name.c_str());
        std::exit(1);
    }
}

void Put(Bytes& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A BMP file with an info header of `headerSize` bytes (12 for the core
// header) and the given masks, palette and rows as stored.
Bytes BmpWithHeader(uint32_t headerSize, int32_t width, int32_t height, int bits, uint32_t compression,
                    const std::vector<uint32_t>& masks, size_t colours, const Bytes& rows) {
    Bytes info;
    Put(info, headerSize, 4);
    if (headerSize == 12) {
        Put(info, width, 2);
        Put(info, height, 2);
        Put(info, 1, 2);
        Put(info, bits, 2);
    } else {
        for (uint32_t v : {uint32_t(width), uint32_t(height)}) Put(info, v, 4);
        Put(info, 1, 2);
        Put(info, bits, 2);
        for (uint32_t v : {compression, uint32_t(rows.size()), 2835u, 2835u, uint32_t(colours), 0u}) Put(info, v, 4);
        for (size_t i = 0; headerSize > 40 && i < 4; ++i) Put(info, i < masks.size() ? masks[i] : 0, 4);
        info.resize(headerSize, 0);
        if (headerSize == 40)
            for (uint32_t mask : masks) Put(info, mask, 4);
    }
    for (size_t i = 0; i < colours; ++i) {
        for (int c = 0; c < 3; ++c) info.push_back(static_cast<uint8_t>(i * 40 + c * 90));
        if (headerSize != 12) info.push_back(0);
    }
    Bytes file = {'B', 'M'};
    Put(file, uint32_t(14 + info.size() + rows.size()), 4);
    Put(file, 0, 4);
    Put(file, uint32_t(14 + info.size()), 4);
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), rows.begin(), rows.end());
    return file;
}

void BmpSeeds(const std::string& folder) {
    std::mt19937 random(1);
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        Bitmap bitmap;
        bitmap.Reset(7, 5, bits);
        if (bits <= 8) bitmap.palette.resize(size_t(1) << bits, PaletteEntry{10, 200, 30, 0});
        for (uint8_t& byte : bitmap.pixels) byte = static_cast<uint8_t>(random());
        Save(folder, "plain" + std::to_string(bits) + ".bmp", EncodeBmp(bitmap));
        if (bits == 16 || bits == 32) {
            bitmap.masks = bits == 16 ? std::array<uint32_t, 3>{0xF800, 0x07E0, 0x001F}
                                      : std::array<uint32_t, 3>{0x3FF00000, 0x000FFC00, 0x000003FF};
            Save(folder, "fields" + std::to_string(bits) + ".bmp", EncodeBmp(bitmap));
        }
    }
    const Bytes rows4(4 * 2, 0x12);  // 3 × 2 at 4 bits, rows of 4 bytes
    for (uint32_t header : {12u, 52u, 56u, 64u, 108u, 124u})
        Save(folder, "header" + std::to_string(header) + ".bmp", BmpWithHeader(header, 3, 2, 4, 0, {}, 16, rows4));
    Save(folder, "topdown.bmp", BmpWithHeader(40, 3, -2, 4, 0, {}, 3, rows4));
    Save(folder, "alphafields.bmp", BmpWithHeader(56, 2, 2, 32, 6, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 0, Bytes(16, 0x7F)));
    Save(folder, "rle8.bmp", testing_support::RleBmp(9, 4, {3, 1, 0, 3, 7, 8, 9, 0, 0, 0, 0, 2, 2, 1, 4, 1, 0, 0, 5, 1, 0, 1}));
    Bytes rle4 = BmpWithHeader(40, 9, 3, 4, 2, {}, 16, {5, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 2, 1, 1, 4, 0x77, 0, 1});
    Save(folder, "rle4.bmp", rle4);
}

// Pictures the change refuses by their size: a canvas past the wallpaper's
// bound, and a height no picture has.
void ChangeSeeds(const std::string& folder) {
    Save(folder, "widecanvas.bmp", BmpWithHeader(40, 20000, 1, 1, 0, {}, 2, Bytes(2500, 0x5A)));
    Save(folder, "minheight.bmp", BmpWithHeader(40, 3, INT32_MIN, 24, 0, {}, 0, Bytes(12, 0x11)));
}

struct JpegKind {
    const char* name;
    int width, height;
    testing_support::JpegLayout layout;
};

void JpegSeeds(const std::string& folder) {
    using testing_support::JpegLayout;
    const JpegKind kinds[] = {
        {"wide420", 40, 16, JpegLayout{3, true, false, 0, 75}},
        {"tall444", 8, 24, JpegLayout{3, false, false, 0, 75}},
        {"band", 26, 20, JpegLayout{3, true, false, 0, 75}},
        {"grey", 17, 9, JpegLayout{1, false, false, 0, 75}},
        {"progressive", 24, 16, JpegLayout{3, true, true, 0, 75}},
        {"restart", 32, 16, JpegLayout{3, true, false, 1, 75}},
    };
    for (const JpegKind& kind : kinds) {
        Bytes bytes = testing_support::MakeJpeg(
            kind.width, kind.height, [](int x, int y) { return uint32_t(x * 0x0A0703 + y * 0x130D05); }, kind.layout);
        Save(folder, std::string(kind.name) + ".jpg", bytes);  // ends in 0xD9: an 8-bit display
        bytes.push_back(0);
        Save(folder, std::string(kind.name) + "-24.jpg", bytes);
    }
}

// Section, key and value as the target reads them (each ended by a backslash
// and another character), then the file's text.
Bytes IniInput(const std::string& section, const std::string& key, const std::string& value, const std::string& text) {
    const std::string all = section + "\\\n" + key + "\\\n" + value + "\\\n" + text;
    return Bytes(all.begin(), all.end());
}

void IniSeeds(const std::string& folder) {
    const std::string config =
        "[options]\r\nwallpaper_directory=C:\\Pictures\r\nplugin_directory=none\r\nstartup=1\r\nchangestart=0\r\n"
        "wptimer=1\r\nnwptimer=$1E\r\nWpTimerUnit=0x1\r\nWpTimerDay=31\r\nnumber=-7\r\nR=255\r\nG=0\r\nB=128\r\n";
    Save(folder, "config.ini", IniInput("options", "number", "5", config));
    Save(folder, "plugin.ini", IniInput("info", "name", "\"Sepia\"", "[info]\nname=Sepia\nversion= 1.0 \n"));
    Save(folder, "comments.ini",
         IniInput("Options", "NEW", " spaced ", "; comment\n[ options ] x\n;number=1\nnoequals\n\n[other]\nk='v'\n"));
    Save(folder, "cr.ini", IniInput("options", "k", "v", "abc\r[options]\rk=1\r"));
    Save(folder, "empty.ini", IniInput("s", "k", "v", ""));
}

// Picture files for the preview, each ending in the two bytes that give the box:
// BMP files, and JPEG files large enough to be decoded at 1/2, 1/4 and 1/8.
void PreviewFileSeeds(const std::string& folder) {
    using testing_support::JpegLayout;
    Bitmap bitmap;
    bitmap.Reset(40, 30, 24);
    for (size_t i = 0; i < bitmap.pixels.size(); ++i) bitmap.pixels[i] = static_cast<uint8_t>(i * 7);
    Bytes bmp = EncodeBmp(bitmap);
    bmp.insert(bmp.end(), {20, 20});
    Save(folder, "picture.bmp", bmp);
    const JpegKind kinds[] = {
        {"large420", 640, 480, JpegLayout{3, true, false, 0, 20}},
        {"largegrey", 400, 600, JpegLayout{1, false, false, 0, 20}},
        {"largeprogressive", 320, 240, JpegLayout{3, true, true, 0, 20}},
    };
    for (const JpegKind& kind : kinds) {
        Bytes bytes = testing_support::MakeJpeg(
            kind.width, kind.height, [](int x, int y) { return uint32_t((x / 16) * 0x0A0703 + (y / 16) * 0x130D05); },
            kind.layout);
        for (uint8_t box : {40, 100, 255}) {
            Bytes file = bytes;
            file.insert(file.end(), {box, uint8_t(box * 3 / 4)});
            Save(folder, std::string(kind.name) + "-" + std::to_string(box) + ".jpg", file);
        }
    }
}

void PreviewSeeds(const std::string& folder) {
    PreviewFileSeeds(folder);
    std::mt19937 random(2);
    for (size_t size : {16u, 200u, 1500u, 6000u}) {
        Bytes bytes(size);
        for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
        Save(folder, "random" + std::to_string(size), bytes);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
        return 2;
    }
    const std::string root = argv[1];
    mkdir(root.c_str(), 0755);
    BmpSeeds(root + "/bmp");
    BmpSeeds(root + "/change");  // the change reads both kinds
    JpegSeeds(root + "/change");
    ChangeSeeds(root + "/change");
    BmpSeeds(root + "/compose");  // pictures drawn on two monitors
    JpegSeeds(root + "/compose");
    IniSeeds(root + "/ini");
    PreviewSeeds(root + "/preview");
    return 0;
}
