#include "CraftedPictures.h"

namespace testing_support {

namespace {

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> RleBmp(int32_t width, int32_t height, const std::vector<uint8_t>& runs) {
    std::vector<uint8_t> file = {'B', 'M'};
    const uint32_t headers = 14 + 40 + 8;
    Put(file, headers + static_cast<uint32_t>(runs.size()), 4);
    Put(file, 0, 4);
    Put(file, headers, 4);
    for (uint32_t value : {40u, static_cast<uint32_t>(width), static_cast<uint32_t>(height)}) Put(file, value, 4);
    Put(file, 1, 2);
    Put(file, 8, 2);
    for (uint32_t value : {1u, static_cast<uint32_t>(runs.size()), 2835u, 2835u, 2u, 0u}) Put(file, value, 4);
    for (uint32_t entry : {0x000000u, 0xFFFFFFu}) Put(file, entry, 4);
    file.insert(file.end(), runs.begin(), runs.end());
    return file;
}

std::vector<uint8_t> ColumnOverflowBmp() {
    const size_t moves = (size_t(1) << 31) / 255 + 1;
    std::vector<uint8_t> runs;
    runs.reserve(4 * moves + 4);
    for (size_t i = 0; i < moves; ++i) runs.insert(runs.end(), {0, 2, 255, 0});
    runs.insert(runs.end(), {8, 1, 0, 1});
    return RleBmp(16, 2, runs);
}

}  // namespace testing_support
