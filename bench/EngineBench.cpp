// The catalogue walk beside a plain recursive listing of the same tree, and one
// wallpaper render beside decoding the same JPEG alone.
//   build/host-release/bench/EngineBench
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "engine/CatalogueWalk.h"
#include "engine/JpegDecoder.h"
#include "engine/Render.h"
#include "engine/Thumbnail.h"
#include "platform/Platform.h"
#include "tests/engine/JpegFixture.h"

namespace {

// A tree of 20 folders of 250 files each (a picture in every 5), made once and
// removed at the end.
class BenchTree {
public:
    BenchTree() {
        char pattern[] = "/tmp/tavrin-bench-XXXXXX";
        path = mkdtemp(pattern);
        for (int f = 0; f < 20; ++f) {
            std::string folder = path;
            folder += "\\album";
            folder += std::to_string(f);
            platform::CreateDir(folder);
            for (int i = 0; i < 250; ++i) {
                std::string name = folder;
                name += '\\';
                name += std::to_string(i);
                name += i % 5 == 0 ? ".jpg" : ".txt";
                platform::WriteFileReplacing(name, [](platform::OutputFile&) {});
            }
        }
    }
    ~BenchTree() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::string path;
};

const std::string& Tree() {
    static const BenchTree tree;
    return tree.path;
}

int64_t ListAll(const std::string& folder) {
    int64_t entries = 0;
    platform::ListFolder(folder, [&](const platform::FolderEntry& entry) {
        ++entries;
        if (entry.isFolder && entry.name != "." && entry.name != "..") entries += ListAll(folder + "\\" + entry.name);
        return true;
    });
    return entries;
}

void ReferenceListing(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ListAll(Tree()));
}
BENCHMARK(ReferenceListing)->Unit(benchmark::kMillisecond);

void WalkToTheLastPicture(benchmark::State& state) {
    for (auto _ : state) {
        WalkState walk;
        PictureSearch(Tree(), 1000, walk);
        benchmark::DoNotOptimize(walk.counter);
    }
}
BENCHMARK(WalkToTheLastPicture)->Unit(benchmark::kMillisecond);

const std::string& Photo() {
    static const std::string path = [] {
        const std::string file = Tree() + "\\photo.jpg";
        testing_support::WriteBytes(file, testing_support::MakeJpeg(1920, 1200, [](int x, int y) {
            return static_cast<uint32_t>((x * 255 / 1920) << 16 | (y * 255 / 1200) << 8 | ((x ^ y) & 0xFF));
        }, 90));
        return file;
    }();
    return path;
}

void ReferenceDecode(benchmark::State& state) {
    const std::vector<uint8_t> bytes = platform::ReadFileBytes(Photo(), 1u << 30);
    for (auto _ : state) benchmark::DoNotOptimize(DecodeJpeg(bytes.data(), bytes.size(), false).pixels.data());
}
BENCHMARK(ReferenceDecode)->Unit(benchmark::kMillisecond);

void OneChange(benchmark::State& state) {
    const std::string output = Tree() + "\\TavrinWP.bmp";
    for (auto _ : state) WriteWallpaperFile(Photo(), output, RenderOptions{});
}
BENCHMARK(OneChange)->Unit(benchmark::kMillisecond);

// A 6000 x 4000 photo-like JPEG: smooth colour with fine texture.
const std::string& LargePhoto() {
    static const std::string path = [] {
        const std::string file = Tree() + "\\large.jpg";
        uint32_t noise = 12345;
        testing_support::WriteBytes(file, testing_support::MakeJpeg(6000, 4000, [&](int x, int y) {
            noise = noise * 1103515245u + 12345u;
            const int grain = static_cast<int>(noise >> 29);  // 0..7
            const int r = std::min(255, x * 200 / 6000 + grain);
            const int g = std::min(255, y * 180 / 4000 + ((x / 7 + y / 5) % 24) + grain);
            const int b = std::min(255, 60 + ((x ^ y) >> 6 & 63) + grain);
            return static_cast<uint32_t>(r << 16 | g << 8 | b);
        }, 90));
        return file;
    }();
    return path;
}

void ReferenceFullDecodeOfALargePhoto(benchmark::State& state) {
    const std::vector<uint8_t> bytes = platform::ReadFileBytes(LargePhoto(), 1u << 30);
    state.counters["file MB"] = static_cast<double>(bytes.size()) / 1e6;
    for (auto _ : state) benchmark::DoNotOptimize(DecodeJpeg(bytes.data(), bytes.size(), false).pixels.data());
}
BENCHMARK(ReferenceFullDecodeOfALargePhoto)->Unit(benchmark::kMillisecond);

// What a preview without the reduced-scale decode would do: decode at full
// size, then reduce into the box.
void ReferenceFullDecodeAndReductionOfALargePhoto(benchmark::State& state) {
    for (auto _ : state) {
        const std::vector<uint8_t> bytes = platform::ReadFileBytes(LargePhoto(), 1u << 30);
        const Bitmap full = DecodeJpeg(bytes.data(), bytes.size(), false);
        const PreviewPlacement place = PlacePreview(full.width, full.height, 170, 130);
        benchmark::DoNotOptimize(ReducePicture(full, place.width, place.height).pixels.data());
    }
}
BENCHMARK(ReferenceFullDecodeAndReductionOfALargePhoto)->Unit(benchmark::kMillisecond);

void PreviewOfALargePhoto(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(LoadPreviewPicture(LargePhoto(), 170, 130).pixels.data());
}
BENCHMARK(PreviewOfALargePhoto)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
