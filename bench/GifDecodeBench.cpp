// Decoding every frame of a set of GIF files: the program's decoder side by side
// with giflib (DGifSlurp, which also decodes every frame to palette indices).
//   gif_decode_bench [benchmark flags] FILE.gif...
// Prints Google Benchmark's table, then for each file and for the whole set the
// ratio of the program's time to giflib's (below 1: the program is faster).
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "gif/GIFImage.h"

namespace {

struct Source {
    std::string name;
    std::vector<uint8_t> bytes;
};
std::vector<Source> sources;

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t position;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int count) {
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    size_t n = std::min(size_t(count), reader->size - reader->position);
    std::memcpy(buffer, reader->data + reader->position, n);
    reader->position += n;
    return int(n);
}

size_t DecodeWithTavrin(const std::vector<uint8_t>& bytes) {
    TGIFImage image;
    image.LoadFromMemory(bytes.data(), bytes.size());
    size_t pixels = 0;
    for (int i = 0; i < image.FrameCount(); ++i) pixels += image.Frame(i).GetBitmap().pixels.size();
    return pixels;
}

size_t DecodeWithGiflib(const std::vector<uint8_t>& bytes) {
    MemoryReader reader{bytes.data(), bytes.size(), 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &error);
    if (!gif) return 0;
    size_t pixels = 0;
    if (DGifSlurp(gif) == GIF_OK)
        for (int i = 0; i < gif->ImageCount; ++i)
            pixels += size_t(gif->SavedImages[i].ImageDesc.Width) * size_t(gif->SavedImages[i].ImageDesc.Height);
    DGifCloseFile(gif, &error);
    return pixels;
}

template <size_t (*Decode)(const std::vector<uint8_t>&)>
void DecodeOne(benchmark::State& state, const Source* source) {
    for (auto _ : state) benchmark::DoNotOptimize(Decode(source->bytes));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(source->bytes.size()));
}

template <size_t (*Decode)(const std::vector<uint8_t>&)>
void DecodeAll(benchmark::State& state) {
    for (auto _ : state)
        for (const Source& source : sources) benchmark::DoNotOptimize(Decode(source.bytes));
}

// Collects each run's time per iteration, to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration) times[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        std::ifstream file(argv[i], std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        std::string name = argv[i];
        name = name.substr(name.find_last_of('/') + 1);
        sources.push_back({name, std::vector<uint8_t>((std::istreambuf_iterator<char>(file)), {})});
    }
    if (sources.empty()) {
        std::fprintf(stderr, "usage: gif_decode_bench [benchmark flags] FILE.gif...\n");
        return 2;
    }
    for (const Source& source : sources) {
        if (DecodeWithGiflib(source.bytes) == 0) std::fprintf(stderr, "giflib cannot decode %s\n", source.name.c_str());
        benchmark::RegisterBenchmark(("tavrin/" + source.name).c_str(), DecodeOne<DecodeWithTavrin>, &source);
        benchmark::RegisterBenchmark(("giflib/" + source.name).c_str(), DecodeOne<DecodeWithGiflib>, &source);
    }
    benchmark::RegisterBenchmark("tavrin/ALL", DecodeAll<DecodeWithTavrin>);
    benchmark::RegisterBenchmark("giflib/ALL", DecodeAll<DecodeWithGiflib>);

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nCPU time of the program's decoder / CPU time of giflib (below 1.00: faster than giflib)\n");
    std::vector<std::string> names;
    for (const Source& source : sources) names.push_back(source.name);
    names.push_back("ALL");
    for (const std::string& name : names) {
        auto ours = reporter.times.find("tavrin/" + name), theirs = reporter.times.find("giflib/" + name);
        if (ours == reporter.times.end() || theirs == reporter.times.end() || theirs->second <= 0) continue;
        std::printf("  %-40s %.2f\n", name.c_str(), ours->second / theirs->second);
    }
    benchmark::Shutdown();
    return 0;
}
