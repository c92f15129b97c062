// JPEG files made by the tests themselves through libjpeg's compressor.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// A baseline JPEG of width × height whose pixel (x, y) has the colour
// `color(x, y)` = 0x00RRGGBB, at the given quality.
std::vector<uint8_t> MakeJpeg(int width, int height, const std::function<uint32_t(int, int)>& color, int quality = 95);

// How the compressor lays a picture out: grey (1 component, the colour's
// green), CMYK (4 components, the colour's bytes from the lowest) or colour,
// with 2 × 2 chroma subsampling or none, progressive or baseline, with a restart marker every `restartInterval` MCU rows' worth of MCUs or none.
struct JpegLayout {
    int components = 3;
    bool subsampled = true;
    bool progressive = false;
    unsigned restartInterval = 0;
    int quality = 95;
    bool ycck = false;  // 4 components stored as YCCK (with Adobe's marker) rather than CMYK
};
std::vector<uint8_t> MakeJpeg(int width, int height, const std::function<uint32_t(int, int)>& color,
                              const JpegLayout& layout);

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace testing_support
