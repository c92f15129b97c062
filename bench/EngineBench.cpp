// The catalogue walk beside a plain recursive listing of the same tree; changes
// in a tree of 100,000 pictures beside `find` over it; and one wallpaper render
// beside decoding the same JPEG alone. The ratios that count are printed at the
// end.
//   build/host-release/bench/EngineBench
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "core/Settings.h"
#include "engine/CatalogueWalk.h"
#include "engine/Rotation.h"
#include "image/JpegDecoder.h"
#include "engine/Render.h"
#include "engine/Thumbnail.h"
#include "platform/Platform.h"
#include "tests/image/JpegFixture.h"

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

// 100 folders of 1,000 pictures each (empty files), made once and removed at the
// end. The folders' times are set an hour back, as in an archive that is not
// being written to, so that their stamps are settled and listings can be kept.
class LargeTree {
public:
    static constexpr int kPictures = 100000;
    LargeTree() {
        char pattern[] = "/tmp/tavrin-bench-large-XXXXXX";
        path = mkdtemp(pattern);
        const timespec hourAgo[2] = {{0, UTIME_OMIT}, {time(nullptr) - 3600, 0}};
        for (int f = 0; f < 100; ++f) {
            const std::string folder = path + "/album" + std::to_string(f);
            mkdir(folder.c_str(), 0755);
            for (int i = 0; i < kPictures / 100; ++i)
                if (FILE* file = std::fopen((folder + "/" + std::to_string(i) + ".jpg").c_str(), "w")) std::fclose(file);
            utimensat(AT_FDCWD, folder.c_str(), hourAgo, 0);
        }
        utimensat(AT_FDCWD, path.c_str(), hourAgo, 0);
    }
    ~LargeTree() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::string path;
};

const std::string& Large() {
    static const LargeTree tree;
    return tree.path;
}

// One change as the program makes it, through the process's kept listings;
// every picture found is taken as applied.
void Change() {
    RotateWallpaper(Settings.wallpaper_directory, Settings.number, [](const std::string& path) { return !path.empty(); },
                    [] {});
}

void ReferenceFindInTheLargeTree(benchmark::State& state) {
    const std::string command = "find '" + Large() + "' -type f | sed -n 100000p > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("find failed");
}
BENCHMARK(ReferenceFindInTheLargeTree)->Unit(benchmark::kMillisecond)->UseRealTime();

// The first change after start: nothing kept yet, the watch armed (on a local
// disk) and the whole tree listed.
void ColdChangeAtTheLastPosition(benchmark::State& state) {
    for (auto _ : state) {
        CatalogueCache cache;
        WalkState walk;
        PictureSearch(Large(), LargeTree::kPictures, walk, SystemFolders(), cache);
        benchmark::DoNotOptimize(walk.counter);
    }
}
BENCHMARK(ColdChangeAtTheLastPosition)->Unit(benchmark::kMillisecond)->UseRealTime();

void ChangeAtPosition(benchmark::State& state) {
    Settings.wallpaper_directory = Large();
    Settings.number = LargeTree::kPictures;
    Change();  // the listings are kept from here on
    for (auto _ : state) {
        Settings.number = static_cast<int32_t>(state.range(0));
        Change();
    }
}
BENCHMARK(ChangeAtPosition)->Arg(1)->Arg(LargeTree::kPictures)->Unit(benchmark::kMicrosecond)->UseRealTime();

void FullCycleOfChanges(benchmark::State& state) {
    Settings.wallpaper_directory = Large();
    for (auto _ : state) {
        Settings.number = 1;
        for (int i = 0; i < LargeTree::kPictures; ++i) Change();
        if (Settings.number != 1) state.SkipWithError("the cycle did not end at the last picture");
    }
}
BENCHMARK(FullCycleOfChanges)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

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

// Prints the runs as usual and keeps their real times for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                seconds_[run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args)] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
    void Ratio(const char* what, const std::string& measured, const std::string& reference, const char* goal) {
        if (!seconds_.count(measured) || !seconds_.count(reference)) return;
        std::printf("%-58s %10.2fx  (goal %s)\n", what, seconds_[measured] / seconds_[reference], goal);
    }

private:
    std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatios, same run:\n");
    reporter.Ratio("change at position 100,000 / change at position 1", "ChangeAtPosition/100000", "ChangeAtPosition/1",
                   "<= 3");
    reporter.Ratio("full cycle of 100,000 changes / one find", "FullCycleOfChanges", "ReferenceFindInTheLargeTree",
                   "<= 1000");
    reporter.Ratio("first change after start (cold, position 100,000) / find", "ColdChangeAtTheLastPosition",
                   "ReferenceFindInTheLargeTree", "<= 1.5");
    benchmark::Shutdown();
    return 0;
}
