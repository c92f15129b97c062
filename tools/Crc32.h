// CRC-32 (the polynomial of zip and PNG), for fingerprints of decoded pixels.
#pragma once

#include <cstddef>
#include <cstdint>

class Crc32 {
public:
    void Add(const uint8_t* bytes, size_t count) {
        static const Table table;
        for (size_t i = 0; i < count; ++i) value_ = table.entries[(value_ ^ bytes[i]) & 0xFF] ^ (value_ >> 8);
    }
    uint32_t Value() const { return ~value_; }

private:
    struct Table {
        uint32_t entries[256];
        Table() {
            for (uint32_t n = 0; n < 256; ++n) {
                uint32_t c = n;
                for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
                entries[n] = c;
            }
        }
    };
    uint32_t value_ = 0xFFFFFFFFu;
};
