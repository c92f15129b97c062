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
#include <limits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <utility>
#include <vector>
#include <string>

#include "core/Settings.h"
#include "engine/CatalogueWalk.h"
#include "engine/Rotation.h"
#include "engine/Shuffle.h"
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

// Random order beside the described order: changes at positions spread over
// the whole tree, the same positions for both. In order a position is a place
// in the catalogue; in random order it is a place in the round, which the
// permutation sends anywhere, and the change counts the tree first. The round
// goes on as the run left it (the first change of a run also walks once to
// the picture before the position, to check the round).
int32_t SpreadPosition(int64_t i) { return static_cast<int32_t>((i * 7919) % LargeTree::kPictures) + 1; }

void OrderedChangeAnywhere(benchmark::State& state) {
    Settings.wallpaper_directory = Large();
    Settings.number = LargeTree::kPictures;
    Change();  // the listings are kept from here on
    int64_t i = 0;
    for (auto _ : state) {
        Settings.number = SpreadPosition(i++);
        Change();
    }
}
BENCHMARK(OrderedChangeAnywhere)->Unit(benchmark::kMicrosecond)->UseRealTime();

void ShuffledChangeAnywhere(benchmark::State& state) {
    Settings.wallpaper_directory = Large();
    Settings.number = LargeTree::kPictures;
    Change();
    int32_t seed = 12345;
    int64_t i = 0;
    for (auto _ : state) {
        Settings.number = SpreadPosition(i++);
        ShuffleRound round{true, seed, Settings.number, LargeTree::kPictures};
        if (!RotateWallpaperShuffled(
                Settings.wallpaper_directory, Settings.number, seed, "", false, round,
                [](const std::string& path) { return !path.empty(); }, [] {}, [](int32_t previous) { return previous; }))
            state.SkipWithError("no picture applied");
    }
}
BENCHMARK(ShuffledChangeAnywhere)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The same walks without the watch (as under Wine, and on removable and network
// drives), where every folder on the way is asked for its stamp: the ordered
// walk to a position beside the walk a change in random order makes, to the
// permuted position and on to the end of the tree, counting it.
void OrderedWalkNoWatch(benchmark::State& state) {
    CatalogueCache cache(false);
    WalkState warm;
    PictureSearch(Large(), LargeTree::kPictures, warm, SystemFolders(), cache);
    int64_t i = 0;
    for (auto _ : state) {
        WalkState walk;
        PictureSearch(Large(), SpreadPosition(i++), walk, SystemFolders(), cache);
        benchmark::DoNotOptimize(walk.found.data());
    }
}
BENCHMARK(OrderedWalkNoWatch)->Unit(benchmark::kMicrosecond)->UseRealTime();

void ShuffledWalkNoWatch(benchmark::State& state) {
    CatalogueCache cache(false);
    WalkState warm;
    PictureSearch(Large(), LargeTree::kPictures, warm, SystemFolders(), cache);
    const ShufflePermutation order(LargeTree::kPictures, 12345);
    int64_t i = 0;
    for (auto _ : state) {
        WalkState walk;
        walk.target = static_cast<int32_t>(order(static_cast<uint32_t>(SpreadPosition(i++))));
        PictureSearch(Large(), std::numeric_limits<int32_t>::max(), walk, SystemFolders(), cache);
        if (walk.atTarget.empty()) state.SkipWithError("the picture was not found");
    }
}
BENCHMARK(ShuffledWalkNoWatch)->Unit(benchmark::kMicrosecond)->UseRealTime();

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
    for (auto _ : state) RenderWallpaper(Photo(), RenderOptions{}, output);
}
BENCHMARK(OneChange)->Unit(benchmark::kMillisecond);

// What keeping the program's own render costs a change with a plugin: the copy
// of a 6000 x 4000 photo's bitmap (83 MB) beside the change that writes it.
const std::string& LargePhoto();  // below

void ChangeOfALargePhoto(benchmark::State& state) {
    for (auto _ : state) RenderWallpaper(LargePhoto(), RenderOptions{}, Tree() + "\\large.bmp");
}
BENCHMARK(ChangeOfALargePhoto)->Unit(benchmark::kMillisecond)->UseRealTime();

void CopyOfItsBitmap(benchmark::State& state) {
    const std::string bitmap = Tree() + "\\large.bmp";
    RenderWallpaper(LargePhoto(), RenderOptions{}, bitmap);
    for (auto _ : state)
        if (!platform::CopyFileOver(bitmap, bitmap + ".own")) state.SkipWithError("the copy failed");
    platform::RemoveFile(bitmap + ".own");
}
BENCHMARK(CopyOfItsBitmap)->Unit(benchmark::kMillisecond)->UseRealTime();

// Chains of nested folders "d", `depth` folders deep counting the top, with the
// same photo at the top, halfway down and at the bottom: depth 1 is a flat
// folder of three pictures. Made once each and removed at the end; the folders'
// times are set an hour back, as in an archive that is not being written to.
class DeepChain {
public:
    explicit DeepChain(int depth) {
        char pattern[] = "/tmp/tavrin-chain-XXXXXX";
        top = mkdtemp(pattern);
        const std::vector<uint8_t> photo = platform::ReadFileBytes(Photo(), 1u << 30);
        std::string folder = top;
        for (int level = 0; level < depth; ++level) {
            if (level > 0) platform::CreateDir(folder += "\\d");
            for (const auto& [at, name] : {std::pair{0, "1.jpg"}, {depth / 2, "2.jpg"}, {depth - 1, "3.jpg"}})
                if (level == at) testing_support::WriteBytes(folder + "\\" + name, photo);
        }
        pictures = {top + "\\1.jpg", folder.substr(0, top.size() + 2 * static_cast<size_t>(depth / 2)) + "\\2.jpg",
                    folder + "\\3.jpg"};
        const timespec hourAgo[2] = {{0, UTIME_OMIT}, {time(nullptr) - 3600, 0}};
        for (std::string native = folder; native.size() >= top.size(); native.resize(native.size() - 2)) {
            std::replace(native.begin(), native.end(), '\\', '/');
            utimensat(AT_FDCWD, native.c_str(), hourAgo, 0);
        }
    }
    ~DeepChain() { std::system(("rm -rf '" + top + "'").c_str()); }
    std::string top;
    std::vector<std::string> pictures;  // in catalogue order
};

const DeepChain& Chain(int depth) {
    static std::map<int, std::unique_ptr<DeepChain>> chains;
    std::unique_ptr<DeepChain>& chain = chains[depth];
    if (!chain) chain = std::make_unique<DeepChain>(depth);
    return *chain;
}

// One change as the rotation makes it, the bitmap written as a change writes it
// (no registry, no plugin); returns the picture shown.
std::string ChangeIn(const std::string& top, int32_t& number, CatalogueCache& cache) {
    WalkState walk;
    PictureSearch(top, number, walk, SystemFolders(), cache);
    RenderWallpaper(walk.found, RenderOptions{}, Tree() + "\\TavrinWP.bmp");
    number = walk.catalogueEnd ? 1 : number + 1;
    return walk.found;
}

// A full cycle of three changes per iteration, every picture of the chain shown
// once, with the listings kept from the cycle before; with the watch on the tree
// (Windows on a fixed disk) or without (Wine, removable and network drives,
// where every folder on the way is asked for its stamp at every change).
void DeepChainChanges(benchmark::State& state) {
    const DeepChain& chain = Chain(static_cast<int>(state.range(0)));
    CatalogueCache cache(state.range(1) != 0);
    int32_t number = 1;
    for (int change = 0; change < 3; ++change) ChangeIn(chain.top, number, cache);
    for (auto _ : state)
        for (const std::string& picture : chain.pictures)
            if (ChangeIn(chain.top, number, cache) != picture) state.SkipWithError("a picture of the chain was not shown");
    state.counters["longest path"] = static_cast<double>(chain.pictures.back().size());
}

// The first change after start, to the bottom of the chain: nothing kept yet.
void DeepChainFirstChange(benchmark::State& state) {
    const DeepChain& chain = Chain(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        CatalogueCache cache(false);
        int32_t number = 3;
        if (ChangeIn(chain.top, number, cache) != chain.pictures.back()) state.SkipWithError("the bottom was not shown");
    }
}

constexpr int kDepths[] = {1, 100, 300, 600, 2000};

void DeepChainArguments(benchmark::internal::Benchmark* bench) {
    for (int watch : {0, 1})
        for (int depth : kDepths) bench->Args({depth, watch});
}
BENCHMARK(DeepChainChanges)->Apply(DeepChainArguments)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DeepChainFirstChange)->Arg(1)->Arg(100)->Arg(300)->Arg(600)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();

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
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                const std::string name =
                    run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
                seconds_[name] = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
                cpuSeconds_[name] = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            }
    }
    // `cpu`: of the CPU times (the kernel's included), which on a loaded
    // machine leave out the waits for a turn on a core.
    void Ratio(const char* what, const std::string& measured, const std::string& reference, const char* goal,
               bool cpu = false) {
        std::map<std::string, double>& times = cpu ? cpuSeconds_ : seconds_;
        if (!times.count(measured) || !times.count(reference)) return;
        std::printf("%-58s %10.2fx  (goal %s)\n", what, times[measured] / times[reference], goal);
    }

private:
    std::map<std::string, double> seconds_, cpuSeconds_;
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
    reporter.Ratio("random-order change / ordered change, anywhere in 100,000", "ShuffledChangeAnywhere",
                   "OrderedChangeAnywhere", "<= 1.5");
    reporter.Ratio("the same walks without the watch (as under Wine)", "ShuffledWalkNoWatch", "OrderedWalkNoWatch",
                   "<= 1.5");
    reporter.Ratio("full cycle of 100,000 changes / one find", "FullCycleOfChanges", "ReferenceFindInTheLargeTree",
                   "<= 1000");
    reporter.Ratio("first change after start (cold, position 100,000) / find", "ColdChangeAtTheLastPosition",
                   "ReferenceFindInTheLargeTree", "<= 1.5");
    for (const char* watch : {"0", "1"}) {
        std::printf("\nA change in a chain of nested folders / a change in a flat folder of three pictures, %s"
                    " (CPU time):\n", *watch == '1' ? "with the watch" : "no watch (as under Wine)");
        for (int depth : kDepths) {
            const std::string name = "DeepChainChanges/" + std::to_string(depth) + "/" + watch;
            reporter.Ratio(("  " + std::to_string(depth) + " deep").c_str(), name, "DeepChainChanges/1/" + std::string(watch),
                           depth == 600 ? "<= 3" : "about 1", true);
        }
    }
    std::printf("\nThe first change after start, to the bottom / the same in a flat folder (CPU time):\n");
    for (int depth : kDepths)
        reporter.Ratio(("  " + std::to_string(depth) + " deep").c_str(), "DeepChainFirstChange/" + std::to_string(depth),
                       "DeepChainFirstChange/1", "-", true);
    benchmark::Shutdown();
    return 0;
}
