#include "Effects.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "image/BmpCodec.h"
#include "platform/Platform.h"

namespace {

const char kSection[] = "sepia";

struct Rgb {
    double r, g, b;
};

// The classic sepia matrix, blended with the original by `amount` (0..1).
Rgb Sepia(Rgb c, double amount) {
    const double r = 0.393 * c.r + 0.769 * c.g + 0.189 * c.b;
    const double g = 0.349 * c.r + 0.686 * c.g + 0.168 * c.b;
    const double b = 0.272 * c.r + 0.534 * c.g + 0.131 * c.b;
    return {c.r + (std::min(r, 255.0) - c.r) * amount, c.g + (std::min(g, 255.0) - c.g) * amount,
            c.b + (std::min(b, 255.0) - c.b) * amount};
}

uint8_t ToByte(double value) { return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L)); }

// How one pixel is changed: the sepia tone (if any), then the darkening of the
// vignette at its place.
class Transform {
public:
    Transform(const EffectOptions& options, int32_t width, int32_t height)
        : amount_(std::clamp(options.strength, 0, 100) / 100.0),
          sepia_(options.effect != Effect::Vignette),
          vignette_(options.effect != Effect::Sepia),
          halfWidth_(width / 2.0),
          halfHeight_(height / 2.0) {}

    bool Vignette() const { return vignette_ && amount_ > 0; }

    // The vignette's factor along one axis: 0 at the centre, 1 at the edge.
    void StartRow(int32_t y) { dy2_ = Square((y + 0.5 - halfHeight_) / halfHeight_); }
    Rgb operator()(Rgb c, int32_t x) const {
        if (sepia_) c = Sepia(c, amount_);
        if (Vignette()) {
            // 0 at the centre, 1 in the corners; squared again for a soft fall-off.
            const double d = (Square((x + 0.5 - halfWidth_) / halfWidth_) + dy2_) / 2;
            const double factor = 1 - 0.75 * amount_ * d * d;
            c = {c.r * factor, c.g * factor, c.b * factor};
        }
        return c;
    }
    Rgb Tone(Rgb c) const { return sepia_ ? Sepia(c, amount_) : c; }

private:
    static double Square(double v) { return v * v; }
    double amount_;
    bool sepia_, vignette_;
    double halfWidth_, halfHeight_;
    double dy2_ = 0;
};

// One colour field of a 16- or 32-bit pixel.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint64_t maximum = 0;  // the field's largest value

    explicit Channel(uint32_t m) : mask(m) {
        if (!mask) return;
        shift = std::countr_zero(mask);
        maximum = mask >> shift;
    }
    double Get(uint32_t pixel) const {
        return maximum ? static_cast<double>((pixel & mask) >> shift) * 255.0 / static_cast<double>(maximum) : 0;
    }
    uint32_t Put(uint32_t pixel, uint8_t value) const {
        if (!maximum) return pixel;
        const uint64_t field = (value * maximum + 127) / 255;
        return (pixel & ~mask) | (static_cast<uint32_t>(field << shift) & mask);
    }
};

void ApplyDirect(Bitmap& picture, Transform& transform) {
    const int bytes = picture.bitsPerPixel / 8;
    std::array<uint32_t, 3> masks = picture.masks;
    if (picture.bitsPerPixel == 16 && masks == std::array<uint32_t, 3>{}) masks = {0x7C00, 0x03E0, 0x001F};
    if (picture.bitsPerPixel == 32 && masks == std::array<uint32_t, 3>{}) masks = {0xFF0000, 0xFF00, 0xFF};
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
    for (int32_t y = 0; y < picture.height; ++y) {
        transform.StartRow(y);
        uint8_t* p = picture.Row(y);
        for (int32_t x = 0; x < picture.width; ++x, p += bytes) {
            if (bytes == 3) {
                const Rgb c = transform({double(p[2]), double(p[1]), double(p[0])}, x);
                p[0] = ToByte(c.b), p[1] = ToByte(c.g), p[2] = ToByte(c.r);
                continue;
            }
            uint32_t pixel = 0;
            for (int i = 0; i < bytes; ++i) pixel |= static_cast<uint32_t>(p[i]) << (8 * i);
            const Rgb c = transform({red.Get(pixel), green.Get(pixel), blue.Get(pixel)}, x);
            pixel = blue.Put(green.Put(red.Put(pixel, ToByte(c.r)), ToByte(c.g)), ToByte(c.b));
            for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(pixel >> (8 * i));
        }
    }
}

int ParseStrength(const std::string& text, int fallback) {
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos) return fallback;
    return std::clamp(std::stoi(text), 0, 100);
}

const char* EffectName(Effect effect) {
    switch (effect) {
    case Effect::Sepia:
        return "sepia";
    case Effect::Vignette:
        return "vignette";
    case Effect::Both:
        break;
    }
    return "both";
}

bool SameLetters(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

}  // namespace

EffectOptions ReadEffectOptions(const std::string& iniPath) {
    EffectOptions options;
    const std::string effect = platform::ReadIniString(iniPath, kSection, "effect", "");
    for (Effect candidate : {Effect::Sepia, Effect::Vignette, Effect::Both})
        if (SameLetters(effect, EffectName(candidate))) options.effect = candidate;
    options.strength = ParseStrength(platform::ReadIniString(iniPath, kSection, "strength", ""), options.strength);
    return options;
}

void WriteEffectOptions(const std::string& iniPath, const EffectOptions& options) {
    platform::WriteIniString(iniPath, kSection, "effect", EffectName(options.effect));
    platform::WriteIniString(iniPath, kSection, "strength", std::to_string(std::clamp(options.strength, 0, 100)));
}

void ApplyEffect(Bitmap& picture, const EffectOptions& options) {
    if (picture.Empty()) return;
    Transform transform(options, picture.width, picture.height);
    if (picture.bitsPerPixel <= 8) {
        if (!transform.Vignette()) {
            for (PaletteEntry& entry : picture.palette) {
                const Rgb c = transform.Tone({double(entry.red), double(entry.green), double(entry.blue)});
                entry.red = ToByte(c.r), entry.green = ToByte(c.g), entry.blue = ToByte(c.b);
            }
            return;
        }
        Bitmap wide;
        wide.Reset(picture.width, picture.height, 24);
        for (int32_t y = 0; y < picture.height; ++y) RowToBgr24(picture, y, wide.Row(y));
        picture = std::move(wide);
    }
    ApplyDirect(picture, transform);
}

void ReworkBitmapFile(const std::string& path, const EffectOptions& options) {
    // The largest pixel array a bitmap may have, and room for its headers and palette.
    const std::vector<uint8_t> bytes = platform::ReadFileBytes(path, kMaxBitmapBytes + 4096);
    Bitmap picture = DecodeBmp(bytes.data(), bytes.size());
    ApplyEffect(picture, options);
    platform::WriteFileReplacing(path, [&](platform::OutputFile& out) {
        EncodeBmp(picture, [&](const void* data, size_t size) { out.Write(data, size); });
    });
}

std::string BitmapPathFromCommandLine(const std::string& commandLine, const std::string& self) {
    std::string rest;
    if (!commandLine.empty() && commandLine[0] == '"') {
        const size_t close = commandLine.find('"', 1);
        rest = close == std::string::npos ? std::string() : commandLine.substr(close + 1);
    } else if (commandLine.size() >= self.size() && !self.empty() &&
               SameLetters(commandLine.substr(0, self.size()), self)) {
        rest = commandLine.substr(self.size());
    } else {
        // Started under another spelling of its path: the program's file name,
        // then a blank, ends its part of the line.
        const std::string name = self.substr(self.find_last_of("\\/:") + 1);
        size_t end = std::string::npos;
        for (size_t at = 0; !name.empty() && at + name.size() <= commandLine.size(); ++at) {
            if (SameLetters(commandLine.substr(at, name.size()), name) &&
                (at + name.size() == commandLine.size() || commandLine[at + name.size()] == ' ')) {
                end = at + name.size();
                break;
            }
        }
        if (end == std::string::npos) end = std::min(commandLine.find(' '), commandLine.size());
        rest = commandLine.substr(end);
    }
    const size_t start = rest.find_first_not_of(" \t");
    std::string path = start == std::string::npos ? std::string() : rest.substr(start);
    // Started by hand or by another program, the path may come quoted.
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
    return path;
}
