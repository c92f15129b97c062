// A picture file read by pieces: the readers of BMP and JPEG files ask it for
// bytes at an offset and never need the whole file in memory.
#pragma once

#include <cstddef>
#include <cstdint>

class ByteSource {
public:
    virtual uint64_t Size() const = 0;
    // Up to `size` bytes at `offset`; fewer only at the end.
    virtual size_t ReadAt(uint64_t offset, void* data, size_t size) = 0;

protected:
    ~ByteSource() = default;
};
