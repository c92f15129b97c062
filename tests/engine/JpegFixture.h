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

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace testing_support
