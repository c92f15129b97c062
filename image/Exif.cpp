#include "image/Exif.h"

#include <cstring>

int ExifOrientation(const uint8_t* data, size_t size) {
    static const uint8_t kSignature[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (!data || size < 6 + 8 || std::memcmp(data, kSignature, 6) != 0) return 1;
    const uint8_t* tiff = data + 6;
    const size_t length = size - 6;
    bool little;
    if (tiff[0] == 'I' && tiff[1] == 'I')
        little = true;
    else if (tiff[0] == 'M' && tiff[1] == 'M')
        little = false;
    else
        return 1;
    const auto u16 = [&](size_t at) -> uint32_t {
        return little ? uint32_t(tiff[at]) | uint32_t(tiff[at + 1]) << 8 : uint32_t(tiff[at]) << 8 | tiff[at + 1];
    };
    const auto u32 = [&](size_t at) -> uint32_t { return little ? u16(at) | u16(at + 2) << 16 : u16(at) << 16 | u16(at + 2); };
    if (u16(2) != 42) return 1;
    const uint32_t directory = u32(4);
    if (directory < 8 || directory > length - 2) return 1;
    const uint32_t entries = u16(directory);
    if (entries > (length - directory - 2) / 12) return 1;
    for (uint32_t i = 0; i < entries; ++i) {
        const size_t entry = directory + 2 + 12 * size_t(i);
        if (u16(entry) != 0x0112) continue;
        // One SHORT, held in the entry's value field.
        if (u16(entry + 2) != 3 || u32(entry + 4) != 1) return 1;
        const uint32_t value = u16(entry + 8);
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
    return 1;
}
