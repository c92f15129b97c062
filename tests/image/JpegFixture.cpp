#include "JpegFixture.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>

#include "platform/Platform.h"

namespace testing_support {

std::vector<uint8_t> MakeJpeg(int width, int height, const std::function<uint32_t(int, int)>& color, int quality) {
    JpegLayout layout;
    layout.quality = quality;
    return MakeJpeg(width, height, color, layout);
}

std::vector<uint8_t> MakeJpeg(int width, int height, const std::function<uint32_t(int, int)>& color,
                              const JpegLayout& layout) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    const bool grey = layout.components == 1, cmyk = layout.components == 4;
    info.input_components = layout.components == 1 || cmyk ? layout.components : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, layout.quality, TRUE);
    if (cmyk && layout.ycck) jpeg_set_colorspace(&info, JCS_YCCK);
    if (layout.progressive) jpeg_simple_progression(&info);
    if (!grey && !layout.subsampled)
        for (int c = 0; c < info.num_components; ++c) info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
    info.restart_interval = layout.restartInterval;
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(width) * info.input_components);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t c = color(x, y);
            if (grey) {
                row[x] = static_cast<uint8_t>(c >> 8);
                continue;
            }
            if (cmyk) {
                for (int k = 0; k < 4; ++k) row[4 * x + k] = static_cast<uint8_t>(c >> (8 * k));
                continue;
            }
            row[3 * x] = static_cast<uint8_t>(c >> 16);
            row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(c);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    platform::WriteFileReplacing(path, [&](platform::OutputFile& out) { out.Write(bytes.data(), bytes.size()); });
}

}  // namespace testing_support
