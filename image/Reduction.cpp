#include "image/Reduction.h"

#include <algorithm>
#include <vector>

#include "image/BmpCodec.h"

Bitmap ReducePicture(const Bitmap& source, int32_t width, int32_t height) {
    // Exact area averaging: in units of 1/width of a source pixel, target pixel
    // x covers [x * sw, (x + 1) * sw) and source pixel sx covers
    // [sx * width, (sx + 1) * width); the overlaps are the weights. Rows alike.
    const int64_t sw = source.width, sh = source.height;
    Bitmap target;
    target.Reset(width, height, 24);
    struct Tap {
        int32_t source;
        float weight;
    };
    std::vector<std::vector<Tap>> taps(static_cast<size_t>(width));
    for (int64_t x = 0; x < width; ++x) {
        const int64_t from = x * sw, to = (x + 1) * sw;
        for (int64_t sx = from / width; sx * width < to && sx < sw; ++sx) {
            const int64_t overlap = std::min(to, (sx + 1) * width) - std::max(from, sx * width);
            if (overlap > 0) taps[x].push_back({static_cast<int32_t>(sx), static_cast<float>(overlap) / static_cast<float>(sw)});
        }
    }
    std::vector<uint8_t> row(static_cast<size_t>(sw) * 3);
    std::vector<float> across(static_cast<size_t>(width) * 3), sum(static_cast<size_t>(width) * 3, 0.0f);
    int64_t targetY = 0;
    for (int64_t sy = 0; sy < sh && targetY < height; ++sy) {
        RowToBgr24(source, static_cast<int32_t>(sy), row.data());
        for (int32_t x = 0; x < width; ++x) {
            float b = 0, g = 0, r = 0;
            for (const Tap& tap : taps[x]) {
                const uint8_t* p = &row[3 * static_cast<size_t>(tap.source)];
                b += tap.weight * p[0];
                g += tap.weight * p[1];
                r += tap.weight * p[2];
            }
            across[3 * x] = b;
            across[3 * x + 1] = g;
            across[3 * x + 2] = r;
        }
        for (int64_t at = sy * height, end = (sy + 1) * height; at < end && targetY < height;) {
            const int64_t rowEnd = (targetY + 1) * sh;
            const int64_t piece = std::min(end, rowEnd) - at;
            const float weight = static_cast<float>(piece) / static_cast<float>(sh);
            for (size_t i = 0; i < sum.size(); ++i) sum[i] += weight * across[i];
            at += piece;
            if (at == rowEnd) {
                uint8_t* out = target.Row(static_cast<int32_t>(targetY));
                for (size_t i = 0; i < sum.size(); ++i)
                    out[i] = static_cast<uint8_t>(std::min(255.0f, sum[i] + 0.5f));
                std::fill(sum.begin(), sum.end(), 0.0f);
                ++targetY;
            }
        }
    }
    return target;
}
