// The size a picture file claims, as the program reads it before decoding.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <optional>

#include "engine/PictureFile.h"

// Bytes in memory, read as a file.
struct FuzzBytes final : ByteSource {
    FuzzBytes(const uint8_t* data, size_t size) : data(data), size(size) {}
    uint64_t Size() const override { return size; }
    size_t ReadAt(uint64_t offset, void* out, size_t count) override {
        if (offset >= size) return 0;
        count = std::min<size_t>(count, size - offset);
        if (count) std::memcpy(out, data + offset, count);
        return count;
    }
    const uint8_t* data;
    size_t size;
};

// The claimed header when the program would go on to decode the picture (its
// size keeps to the picture bounds); empty when the program refuses it there.
inline std::optional<PictureHeader> ClaimedPictureSize(PictureKind kind, const uint8_t* data, size_t size) {
    try {
        FuzzBytes source(data, size);
        return OpenPicture(kind, source).header;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
