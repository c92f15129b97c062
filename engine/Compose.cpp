#include "engine/Compose.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "engine/PictureFile.h"
#include "image/BmpCodec.h"
#include "image/JpegDecoder.h"
#include "image/PipelinedSink.h"
#include "image/Resample.h"

namespace {

int64_t Mod(int64_t value, int64_t modulus) {
    const int64_t rest = value % modulus;
    return rest < 0 ? rest + modulus : rest;
}

// The bitmap file over the virtual screen: spans of rows written at their places.
class ScreenFile {
public:
    ScreenFile(platform::OutputFile& out, const VirtualRect& bounds, bool tiled)
        : out_(out), bounds_(bounds), tiled_(tiled) {
        PixelFormat format;
        format.width = bounds.width;
        format.height = bounds.height;
        format.bitsPerPixel = 24;
        layout_ = LayOutBmpFile(format);
        out_.WriteAt(0, layout_.header.data(), layout_.header.size());
        // The last row's padding, so the file has its whole length; other
        // rows' padding is the gap before the next row, which reads as zeros.
        const size_t pad = layout_.stride - 3 * static_cast<size_t>(bounds.width);
        if (pad > 0) {
            const uint8_t zeros[4] = {};
            out_.WriteAt(layout_.RowOffset(0) + 3 * static_cast<uint64_t>(bounds.width), zeros, pad);
        }
    }

    // `count` pixels from virtual-screen point (x, y) rightwards.
    void WriteSpan(int32_t x, int32_t y, const uint8_t* bgr, int32_t count) {
        const int64_t fx = tiled_ ? Mod(x, bounds_.width) : int64_t(x) - bounds_.left;
        const int64_t fy = tiled_ ? Mod(y, bounds_.height) : int64_t(y) - bounds_.top;
        const int32_t first = static_cast<int32_t>(std::min<int64_t>(count, bounds_.width - fx));
        const uint64_t row = layout_.RowOffset(static_cast<int32_t>(fy));
        out_.WriteAt(row + 3 * static_cast<uint64_t>(fx), bgr, 3 * static_cast<size_t>(first));
        if (count > first) out_.WriteAt(row, bgr + 3 * static_cast<size_t>(first), 3 * static_cast<size_t>(count - first));
    }

private:
    platform::OutputFile& out_;
    VirtualRect bounds_;
    bool tiled_;
    BmpFileLayout layout_;
};

std::vector<uint8_t> BackgroundRow(int32_t width, uint32_t background) {
    std::vector<uint8_t> row(3 * static_cast<size_t>(width));
    for (size_t x = 0; x < row.size(); x += 3) {
        row[x] = static_cast<uint8_t>(background >> 16);
        row[x + 1] = static_cast<uint8_t>(background >> 8);
        row[x + 2] = static_cast<uint8_t>(background);
    }
    return row;
}

// What no monitor covers, in the background colour, row by row.
void WriteUncovered(ScreenFile& file, const ScreenLayout& layout, const VirtualRect& bounds,
                    const std::vector<uint8_t>& background) {
    std::vector<std::pair<int32_t, int32_t>> covered;
    for (int32_t y = bounds.top; y < bounds.top + bounds.height; ++y) {
        covered.clear();
        for (const MonitorRect& m : layout.Monitors())
            if (y >= m.y && y - m.y < m.height) covered.emplace_back(m.x, m.x + m.width);
        std::sort(covered.begin(), covered.end());
        int32_t x = bounds.left;
        for (const auto& [from, to] : covered) {
            if (from > x) file.WriteSpan(x, y, background.data(), from - x);
            x = std::max(x, to);
        }
        if (x < bounds.left + bounds.width) file.WriteSpan(x, y, background.data(), bounds.left + bounds.width - x);
    }
}

// One picture file drawn into one monitor's rectangle, every row of it.
class MonitorPicture {
public:
    MonitorPicture(ScreenFile& file, const MonitorRect& monitor, const ComposeOptions& options)
        : file_(file), monitor_(monitor), options_(options),
          row_(BackgroundRow(monitor.width, options.background)) {}

    void Draw(const std::string& path) {
        const PictureKind kind = RequirePictureKind(path);
        std::unique_ptr<platform::InputFile> input = platform::OpenInputFile(path);
        if (input->Size() > kMaxPictureFileBytes) throw platform::Error(path + " is too large");
        PictureFileSource source(*input);
        const OpenedPicture opened = OpenPicture(kind, source);
        Plan(opened.header.width, opened.header.height);
        ReadOptions read;
        read.background = options_.background;
        if (opened.header.scalable) {
            read.denominator = 8;
            read.numerator = JpegScaleFor(opened.header.width, opened.header.height, place_.width, place_.height);
        }
        // Decoding on this thread, scaling and writing on a second one.
        Rows rows(*this);
        PipelinedSink pipeline(rows);
        opened.reader->Rows(pipeline, read);
        pipeline.Finish();
        if (!resampler_ || !resampler_->Complete()) throw RenderError("The picture did not fill its monitor");
    }

private:
    // The picture's place and the bars around it, written at once.
    void Plan(int32_t width, int32_t height) {
        place_ = PlacePicture(width, height, monitor_.width, monitor_.height, options_.fit);
        window_.x = std::max(0, -place_.x);
        window_.y = std::max(0, -place_.y);
        window_.width = std::min(place_.width, monitor_.width - place_.x) - window_.x;
        window_.height = std::min(place_.height, monitor_.height - place_.y) - window_.y;
        left_ = std::max(0, place_.x);
        top_ = std::max(0, place_.y);
        const std::vector<uint8_t> bar = BackgroundRow(monitor_.width, options_.background);
        for (int32_t y = 0; y < monitor_.height; ++y)
            if (y < top_ || y >= top_ + window_.height) file_.WriteSpan(monitor_.x, monitor_.y + y, bar.data(), monitor_.width);
    }

    // The decoded picture's size is known (a JPEG's after its scale).
    void Begin(int32_t decodedWidth, int32_t decodedHeight) {
        resampler_ = std::make_unique<RowResampler>(
            decodedWidth, decodedHeight, place_.width, place_.height, window_, [this](int32_t y, const uint8_t* bgr) {
                std::memcpy(row_.data() + 3 * static_cast<size_t>(left_), bgr, 3 * static_cast<size_t>(window_.width));
                file_.WriteSpan(monitor_.x, monitor_.y + top_ + y, row_.data(), monitor_.width);
            });
    }

    // The picture's rows, in the order its reader gives them (the resampler
    // takes either), converted to 24 bits.
    class Rows final : public PictureSink {
    public:
        explicit Rows(MonitorPicture& picture) : picture_(picture) {}
        void Begin(const PixelFormat& format) override {
            format_ = format;
            picture_.Begin(format.width, format.height);
            row_.assign(3 * static_cast<size_t>(format.width), 0);
        }
        void Row(int32_t y, const uint8_t* row) override {
            if (!picture_.resampler_->Wanted(y)) return;
            RowToBgr24(format_, row, row_.data());
            picture_.resampler_->Add(y, row_.data());
        }

    private:
        MonitorPicture& picture_;
        PixelFormat format_;
        std::vector<uint8_t> row_;
    };

    ScreenFile& file_;
    MonitorRect monitor_;
    const ComposeOptions& options_;
    std::vector<uint8_t> row_;  // one monitor row: bars and the picture's part
    Placement place_;
    ResampleWindow window_;
    int32_t left_ = 0, top_ = 0;  // where the window stands on the monitor
    std::unique_ptr<RowResampler> resampler_;
};

}  // namespace

int JpegScaleFor(int32_t width, int32_t height, int32_t scaledWidth, int32_t scaledHeight) {
    // The library's size at M/8 is the full size times M/8, rounded up. Only
    // the halvings: libjpeg-turbo has SIMD inverse DCTs for 1/8, 2/8, 4/8 and
    // 8/8, and at 3/8 decodes a 24-megapixel photo more slowly than at 4/8.
    for (int eighths = 1; eighths < 8; eighths *= 2) {
        const int64_t w = (int64_t(width) * eighths + 7) / 8;
        const int64_t h = (int64_t(height) * eighths + 7) / 8;
        if (w >= scaledWidth && h >= scaledHeight) return eighths;
    }
    return 8;
}

std::vector<std::string> ComposeWallpaper(const ScreenLayout& layout, const ComposeOptions& options,
                                          const PictureSupply& next, const std::string& output) {
    if (layout.Empty()) throw RenderError("No monitor to show the wallpaper on");
    const VirtualRect bounds = layout.Bounds();
    if (uint64_t(Bitmap::StrideFor(bounds.width, 24)) * uint64_t(bounds.height) > kMaxWallpaperBytes)
        throw RenderError("The wallpaper would be too large");
    std::vector<std::string> drawn;
    platform::WriteFileReplacing(output, [&](platform::OutputFile& out) {
        ScreenFile file(out, bounds, options.tiled);
        const std::vector<uint8_t> background = BackgroundRow(bounds.width, options.background);
        WriteUncovered(file, layout, bounds, background);
        for (const MonitorRect& monitor : layout.Monitors()) {
            bool retry = false;
            for (;;) {
                const std::optional<std::string> picture = next(retry);
                if (!picture) throw RenderError("No picture could be shown");
                try {
                    MonitorPicture(file, monitor, options).Draw(*picture);
                    drawn.push_back(*picture);
                    break;
                } catch (const platform::WriteError&) {
                    throw;
                } catch (...) {
                    retry = true;  // the monitor's rectangle is drawn whole again by the next
                }
            }
        }
    });
    return drawn;
}
