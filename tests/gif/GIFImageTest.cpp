// The GIF decoder on the host: what it keeps from a file, what it decodes, and
// how it meets damaged and hostile data.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "tests/gif/GifBuilder.h"

using namespace gif_test;

namespace {

std::vector<uint8_t> Indices(const Bitmap& bitmap) {
    std::vector<uint8_t> out;
    for (int32_t y = 0; y < bitmap.height; ++y)
        for (int32_t x = 0; x < bitmap.width; ++x) {
            const uint8_t* row = bitmap.Row(y);
            switch (bitmap.bitsPerPixel) {
            case 8: out.push_back(row[x]); break;
            case 4: out.push_back((row[x / 2] >> ((x & 1) ? 0 : 4)) & 15); break;
            default: out.push_back((row[x / 8] >> (7 - x % 8)) & 1); break;
            }
        }
    return out;
}

// A picture with runs, repeats and noise, so that the LZW table fills.
std::vector<uint8_t> Pattern(int width, int height, unsigned colours, unsigned seed = 1) {
    std::mt19937 random(seed);
    std::vector<uint8_t> pixels(size_t(width * height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned v = (y % 7 < 3) ? unsigned(x / 3 + y) : unsigned(random());
            pixels[size_t(y * width + x)] = uint8_t(v % colours);
        }
    return pixels;
}

// The error a load gives; with `strict`, damaged frame data fails the load.
std::string ErrorOf(const Bytes& bytes, bool strict = false) {
    TGIFImage image;
    image.TolerateCorrupt = !strict;
    try {
        image.LoadFromMemory(bytes.data(), bytes.size());
    } catch (const std::exception& error) {
        return error.what();
    }
    return "no error";
}

constexpr bool kStrict = true;

}  // namespace

TEST(GIFHeader, SignatureAndVersionAreMatchedWithoutRegardToCase) {
    const std::vector<uint8_t> one = {0};
    auto file = [&](const std::string& signature) {
        return GifBuilder(signature).Screen(1, 1, Ramp(2)).Image(0, 0, 1, 1, one, 2).Trailer().bytes;
    };
    TGIFImage image;
    Bytes lower = file("gif89A");
    image.LoadFromMemory(lower.data(), lower.size());
    EXPECT_EQ(image.Version(), TGIFVersion::gv89a);
    Bytes old = file("GIF87a");
    image.LoadFromMemory(old.data(), old.size());
    EXPECT_EQ(image.Version(), TGIFVersion::gv87a);

    EXPECT_EQ(ErrorOf(file("GIF90a")), "Unknown GIF version");
    EXPECT_EQ(ErrorOf(file("GIX89a")), "Unknown GIF version");
    EXPECT_EQ(ErrorOf({'G', 'I', 'F'}), "Stream read error");
}

TEST(GIFHeader, ScreenDescriptorAndBackgroundColour) {
    TGIFImage image;
    Bytes inside = GifBuilder().Screen(300, 200, Ramp(128), 5, 4).Image(0, 0, 1, 1, {3}, 7).Trailer().bytes;
    image.LoadFromMemory(inside.data(), inside.size());
    EXPECT_EQ(image.LogicalWidth(), 300);
    EXPECT_EQ(image.LogicalHeight(), 200);
    EXPECT_EQ(image.Data().BitsPerPixel, 7);
    EXPECT_EQ(image.Data().ColorResolution, 4);
    EXPECT_EQ(image.Data().ColorTable.count, 128u);
    EXPECT_EQ(image.BackgroundColor(), RGBColor(5, 250, 2));

    // A background index beyond the global table's 128 entries names no colour.
    Bytes beyond = GifBuilder().Screen(3, 3, Ramp(128), 200).Image(0, 0, 1, 1, {3}, 7).Trailer().bytes;
    image.LoadFromMemory(beyond.data(), beyond.size());
    EXPECT_EQ(image.BackgroundColor(), clNone);
    EXPECT_FALSE(image.Looping());
    EXPECT_EQ(image.RepeatCount(), 1);
}

TEST(GIFDecode, LargeFramesRoundTripWhetherTheTableResetsOrStaysFull) {
    for (bool resetWhenFull : {true, false}) {
        const auto pixels = Pattern(320, 240, 256);
        Bytes bytes = GifBuilder().Screen(320, 240, Ramp(256)).Image(0, 0, 320, 240, pixels, 8, {}, false, resetWhenFull).Trailer().bytes;
        TGIFImage image;
        image.LoadFromMemory(bytes.data(), bytes.size());
        ASSERT_EQ(image.FrameCount(), 1);
        TGIFFrame& frame = image.Frame(0);
        ASSERT_TRUE(frame.HasBitmap()) << "frame 0 is decoded by the load";
        const Bitmap& bitmap = frame.GetBitmap();
        EXPECT_EQ(bitmap.bitsPerPixel, 8);
        EXPECT_EQ(Indices(bitmap), pixels) << "reset when full: " << resetWhenFull;
        EXPECT_FALSE(frame.Corrupted);
        ASSERT_EQ(bitmap.palette.size(), 256u);
        EXPECT_EQ(bitmap.palette[10], (PaletteEntry{5, 245, 10, 0}));
    }
}

TEST(GIFDecode, CodesAreReadAcrossSubBlocksOfEverySize) {
    // Codes of 6 to 12 bits cut by sub-blocks of 1 byte upwards; a size that
    // reaches past the data ends it there.
    const auto pixels = Pattern(61, 37, 32);
    const Bytes code = LzwEncode(pixels, 5);
    for (size_t blockSize : {1, 2, 3, 5, 254, 255}) {
        Bytes bytes = GifBuilder().Screen(61, 37, Ramp(32)).Descriptor(0, 0, 61, 37).Raw({5}).Raw(SubBlocks(code, true, blockSize)).Trailer().bytes;
        TGIFImage image;
        image.LoadFromMemory(bytes.data(), bytes.size());
        EXPECT_EQ(Indices(image.Frame(0).GetBitmap()), pixels) << "sub-blocks of " << blockSize;
        EXPECT_FALSE(image.Frame(0).Corrupted) << blockSize;
    }
    Bytes bytes = GifBuilder().Screen(61, 37, Ramp(32)).Descriptor(0, 0, 61, 37).Raw({5}).Raw(SubBlocks(code, true, 100)).Trailer().bytes;
    TGIFImage image;
    TMemoryStream stream(bytes.data(), bytes.size());
    image.ReadGifData(bytes.size(), stream, false);
    TGIFFrame& frame = image.Frame(0);
    frame.Item->Data.resize(1 + 101 + 101 + 40);  // the third size byte claims 100 of 40 bytes
    const auto decoded = Indices(frame.GetBitmap());
    EXPECT_TRUE(frame.Corrupted);
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.begin() + 61, decoded.begin()));
    EXPECT_EQ(decoded.back(), 0);
}

TEST(GIFDecode, DepthFollowsTheTableAndUnusedPaletteEntriesAreGrey) {
    struct Case {
        unsigned colours, depth, codeSize;
    };
    for (Case c : {Case{2, 1, 2}, Case{4, 4, 2}, Case{8, 4, 3}, Case{16, 4, 4}, Case{32, 8, 5}, Case{128, 8, 7}}) {
        const auto pixels = Pattern(37, 11, c.colours, c.colours);
        Bytes bytes = GifBuilder().Screen(37, 11).Image(0, 0, 37, 11, pixels, c.codeSize, Ramp(c.colours)).Trailer().bytes;
        TGIFImage image;
        image.LoadFromMemory(bytes.data(), bytes.size());
        const Bitmap& bitmap = image.Frame(0).GetBitmap();
        EXPECT_EQ(bitmap.bitsPerPixel, int(c.depth)) << c.colours;
        EXPECT_EQ(Indices(bitmap), pixels) << c.colours;
        ASSERT_EQ(bitmap.palette.size(), size_t(1) << c.depth);
        EXPECT_EQ(bitmap.palette[c.colours - 1], (PaletteEntry{uint8_t((c.colours - 1) / 2), uint8_t(256 - c.colours), uint8_t(c.colours - 1), 0}));
        if (c.colours < bitmap.palette.size()) {
            EXPECT_EQ(bitmap.palette.back(), (PaletteEntry{128, 128, 128, 0}));
        }
        EXPECT_TRUE(image.Frame(0).HasLocalColorTable);
    }
}

TEST(GIFDecode, InterlacedRowsLandInPictureOrderForEveryHeight) {
    for (int height = 1; height <= 17; ++height) {
        const auto picture = Pattern(5, height, 16, unsigned(height));
        // The file holds the rows pass by pass.
        std::vector<uint8_t> fileOrder;
        const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = start[pass]; y < height; y += step[pass])
                fileOrder.insert(fileOrder.end(), picture.begin() + y * 5, picture.begin() + y * 5 + 5);
        Bytes bytes = GifBuilder().Screen(5, uint16_t(height), Ramp(16)).Image(0, 0, 5, uint16_t(height), fileOrder, 4, {}, true).Trailer().bytes;
        TGIFImage image;
        image.LoadFromMemory(bytes.data(), bytes.size());
        EXPECT_TRUE(image.Frame(0).Interlaced);
        EXPECT_EQ(Indices(image.Frame(0).GetBitmap()), picture) << "height " << height;
    }
}

TEST(GIFDecode, CodesBetweenTheTableAndTheClearCodeAreNotPixels) {
    // A 1-bit frame with code size 2: codes 2 and 3 are no literals and decode
    // through their empty table entries into two pixels of index 0 each.
    BitWriter codes;
    for (unsigned code : {4u, 1u, 2u, 3u}) codes.Put(code, 3);
    codes.Put(1, 4);  // the table reached 8 entries: codes are 4 bits wide now
    codes.Put(5, 4);
    Bytes bytes = GifBuilder().Screen(6, 1, {{0, 0, 0}, {255, 255, 255}}).Descriptor(0, 0, 6, 1).Raw({2}).Raw(SubBlocks(codes.bytes)).Trailer().bytes;
    TGIFImage image;
    image.LoadFromMemory(bytes.data(), bytes.size());
    EXPECT_EQ(Indices(image.Frame(0).GetBitmap()), (std::vector<uint8_t>{1, 0, 0, 0, 0, 1}));
    EXPECT_FALSE(image.Frame(0).Corrupted);
}

TEST(GIFDecode, ATableDeeperThanTheCodeSizeStillDecodesStrings) {
    // 256 colours, but the frame uses indices below 16 and a code size of 4, as
    // optimising encoders write it: string codes 18 ... 255 must not be taken
    // for pixel values.
    const auto pixels = Pattern(64, 64, 16);
    Bytes bytes = GifBuilder().Screen(64, 64, Ramp(256)).Image(0, 0, 64, 64, pixels, 4).Trailer().bytes;
    TGIFImage image;
    image.LoadFromMemory(bytes.data(), bytes.size());
    EXPECT_EQ(Indices(image.Frame(0).GetBitmap()), pixels);
}

TEST(GIFDecode, ClearCodesAddNoPixel) {
    // Just before the end, and twice in a row: a clear code after a clear code
    // only resets the table again, as the GIF standard reads it.
    for (const std::vector<unsigned>& stream : {std::vector<unsigned>{4, 1, 1, 4, 5}, {4, 4, 1, 1, 5}}) {
        BitWriter codes;
        for (unsigned code : stream) codes.Put(code, 3);
        Bytes bytes = GifBuilder().Screen(3, 1, Ramp(4)).Descriptor(0, 0, 3, 1).Raw({2}).Raw(SubBlocks(codes.bytes)).Trailer().bytes;
        TGIFImage image;
        image.LoadFromMemory(bytes.data(), bytes.size());
        EXPECT_EQ(Indices(image.Frame(0).GetBitmap()), (std::vector<uint8_t>{1, 1, 0})) << stream[1];
    }
}

TEST(GIFExtensions, FrameAttributesComeFromTheGraphicControlBlocksOfItsRun) {
    const std::vector<uint8_t> pixels(4, 1);
    GifBuilder b;
    b.Screen(2, 2, Ramp(4));
    b.GraphicControl(10, 2, 2).GraphicControl(5, 1, 1).Image(0, 0, 2, 2, pixels, 2);  // the longer delay wins
    b.GraphicControl(7, 4).Image(0, 0, 2, 2, pixels, 2);                              // index = table size
    b.GraphicControl(9, 3).PlainText().Image(0, 0, 2, 2, pixels, 2);                  // voided by the plain text
    b.GraphicControl(7000).Image(0, 0, 2, 2, pixels, 2);                              // 70 s is kept whole
    b.Trailer();
    TGIFImage image;
    image.LoadFromMemory(b.bytes.data(), b.bytes.size());
    ASSERT_EQ(image.FrameCount(), 4);
    EXPECT_EQ(image.Frame(0).Delay, 100u);
    EXPECT_EQ(image.Frame(0).Disposal, 1);
    EXPECT_EQ(image.Frame(0).TransparentColor, RGBColor(1, 254, 0));
    EXPECT_EQ(image.Frame(0).Extensions.size(), 2u);
    EXPECT_EQ(image.Frame(1).TransparentColor, clNone);
    EXPECT_EQ(image.Frame(1).Delay, 70u);
    EXPECT_EQ(image.Frame(2).TransparentColor, clNone);
    EXPECT_EQ(image.Frame(2).Delay, 0u);
    EXPECT_TRUE(image.Frame(2).Extensions.empty());
    EXPECT_EQ(image.Frame(3).Delay, 70000u);
    EXPECT_TRUE(image.Transparent());
}

TEST(GIFExtensions, LoopBlocks) {
    struct Case {
        std::string identifier;
        Bytes data;
        bool looping;
        unsigned repeat;
    };
    const std::vector<Case> cases = {
        {"NETSCAPE2.0", {1, 0xFF, 0xFF}, true, 30000},
        {"NETSCAPE2.0", {1, 0, 0}, true, 0},
        {"ANIMEXTS1.0", {1, 3, 0}, true, 3},
        {"NETSCAPE2.0", {2, 3, 0}, false, 1},   // not a loop sub-block
        {"NETSCAPE2.0", {1, 3}, false, 1},      // too short
        {"XMP DataXMP", {1, 3, 0}, false, 1},   // another application's block
    };
    for (const Case& c : cases) {
        Bytes bytes = GifBuilder().Screen(1, 1, Ramp(2)).Application(c.identifier, c.data).Image(0, 0, 1, 1, {0}, 2).Trailer().bytes;
        TGIFImage image;
        image.LoadFromMemory(bytes.data(), bytes.size());
        EXPECT_EQ(image.Looping(), c.looping) << c.identifier;
        EXPECT_EQ(image.RepeatCount(), c.repeat) << c.identifier;
        EXPECT_TRUE(image.Frame(0).Extensions.empty()) << "application blocks are not kept";
    }
}

TEST(GIFExtensions, OnlyTheCommentAfterTheLastImageIsTheImagesComment) {
    Bytes bytes = GifBuilder()
                      .Screen(1, 1, Ramp(2))
                      .Comment({"before"})
                      .Image(0, 0, 1, 1, {0}, 2)
                      .Comment({})  // no sub-block: no line
                      .Comment({"made by ", "hand"})
                      .Raw({0, 0})
                      .Comment({"second"})
                      .Trailer()
                      .bytes;
    TGIFImage image;
    image.LoadFromMemory(bytes.data(), bytes.size());
    EXPECT_EQ(image.Data().Comment, (std::vector<std::string>{"made by ", "hand", "\r\n\r\n", "second"}));
    ASSERT_EQ(image.Frame(0).Extensions.size(), 1u);
    EXPECT_EQ(image.Frame(0).Extensions[0].Kind, TExtensionKind::Comment);
    EXPECT_EQ(image.Frame(0).Extensions[0].Data, (std::vector<std::string>{"before"}));
}

TEST(GIFStructure, ZeroBytesBetweenBlocksAndStrayBytesAfterTheLastImage) {
    Bytes padded = GifBuilder().Screen(1, 1, Ramp(2)).Raw({0, 0, 0}).GraphicControl(3).Raw({0}).Image(0, 0, 1, 1, {1}, 2).Raw({0, 0}).Image(0, 0, 1, 1, {0}, 2).Trailer().bytes;
    TGIFImage image;
    image.LoadFromMemory(padded.data(), padded.size());
    EXPECT_EQ(image.FrameCount(), 2);
    EXPECT_EQ(image.Frame(0).Delay, 30u);

    // 0x42 after the last image ends the file quietly ...
    Bytes stray = GifBuilder().Screen(1, 1, Ramp(2)).Image(0, 0, 1, 1, {1}, 2).Raw({0x42, 1, 2, 3}).bytes;
    image.LoadFromMemory(stray.data(), stray.size());
    EXPECT_EQ(image.FrameCount(), 1);
    // ... but where the first block should start it is an error.
    EXPECT_EQ(ErrorOf(GifBuilder().Screen(1, 1, Ramp(2)).Raw({0x42}).Image(0, 0, 1, 1, {1}, 2).Trailer().bytes), "Stream read error");
    EXPECT_EQ(ErrorOf(GifBuilder().Screen(1, 1, Ramp(2)).Raw({'!', 0x2C, 0}).Trailer().bytes), "Unrecognized extension block: 2C");
    // A file that ends after its last image is complete.
    Bytes noTrailer = GifBuilder().Screen(1, 1, Ramp(2)).Image(0, 0, 1, 1, {1}, 2).bytes;
    image.LoadFromMemory(noTrailer.data(), noTrailer.size());
    EXPECT_EQ(image.FrameCount(), 1);
}

TEST(GIFStructure, ZeroSizedFramesTakeTheLogicalScreen) {
    const auto pixels = Pattern(6, 4, 4);
    Bytes bytes = GifBuilder().Screen(6, 4, Ramp(4)).Image(0, 0, 0, 0, pixels, 2).Trailer().bytes;
    TGIFImage image;
    image.LoadFromMemory(bytes.data(), bytes.size());
    EXPECT_EQ(image.Frame(0).Width(), 6);
    EXPECT_EQ(image.Frame(0).Height(), 4);
    EXPECT_EQ(Indices(image.Frame(0).GetBitmap()), pixels);
    EXPECT_EQ(image.Width(), 6);
}

TEST(GIFDamage, ACutLastSubBlockKeepsTheFrameMarkedCorrupted) {
    const auto pixels = Pattern(40, 40, 16);
    Bytes whole = GifBuilder().Screen(40, 40, Ramp(16)).GraphicControl(10).Image(0, 0, 40, 40, pixels, 4).GraphicControl(10).Image(0, 0, 40, 40, pixels, 4).bytes;
    Bytes cut(whole.begin(), whole.end() - 20);
    TGIFImage image;
    image.LoadFromMemory(cut.data(), cut.size());
    ASSERT_EQ(image.FrameCount(), 2);
    EXPECT_FALSE(image.Frame(0).Corrupted);
    TGIFFrame& last = image.Frame(1);
    EXPECT_TRUE(last.Corrupted);
    // What was decoded is shown; the rest is index 0.
    const auto decoded = Indices(last.GetBitmap());
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.begin() + 40, decoded.begin()));
    EXPECT_NE(decoded, pixels);
    EXPECT_EQ(decoded.back(), 0);

    EXPECT_EQ(ErrorOf(cut, kStrict), "Stream read error");
}

TEST(GIFDamage, CodeDataEndingBeforeThePictureIsComplete) {
    // Whole sub-blocks and a terminator, but codes for only part of the picture.
    const auto pixels = Pattern(16, 16, 4);
    Bytes code = LzwEncode(pixels, 2);
    code.resize(code.size() / 2);
    Bytes bytes = GifBuilder().Screen(16, 16, Ramp(4)).Descriptor(0, 0, 16, 16).Raw({2}).Raw(SubBlocks(code)).Trailer().bytes;
    TGIFImage image;
    image.LoadFromMemory(bytes.data(), bytes.size());
    EXPECT_TRUE(image.Frame(0).Corrupted);
    const auto decoded = Indices(image.Frame(0).GetBitmap());
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.begin() + 16, decoded.begin()));
    EXPECT_EQ(std::count(decoded.begin() + 200, decoded.end(), 0), 56) << "the rest stays index 0";

    EXPECT_EQ(ErrorOf(bytes, kStrict), "Stream read error");
}

TEST(GIFDamage, CodeSizeOutOfRange) {
    for (uint8_t size : {uint8_t(0), uint8_t(1), uint8_t(10), uint8_t(255)}) {
        Bytes bytes = GifBuilder().Screen(4, 4, Ramp(4)).Descriptor(0, 0, 4, 4).Raw({size}).Raw(SubBlocks({0xFF, 0xFF, 0xFF})).Trailer().bytes;
        TGIFImage image;
        image.LoadFromMemory(bytes.data(), bytes.size());
        EXPECT_TRUE(image.Frame(0).Corrupted) << int(size);
        EXPECT_EQ(ErrorOf(bytes, kStrict), "GIF code size not in range 2 to 9") << int(size);
    }
}

TEST(GIFDamage, TheSwitchIsEachImagesOwnAndHoldsForFramesDecodedLater) {
    // Frame 1, decoded only on demand, has a code size out of range.
    Bytes bytes = GifBuilder().Screen(4, 4, Ramp(4)).Image(0, 0, 4, 4, Pattern(4, 4, 4), 2).Descriptor(0, 0, 4, 4)
                      .Raw({0}).Raw(SubBlocks({0xFF, 0xFF, 0xFF})).Trailer().bytes;
    TGIFImage strict, tolerant;
    strict.TolerateCorrupt = false;
    strict.LoadFromMemory(bytes.data(), bytes.size());
    tolerant.LoadFromMemory(bytes.data(), bytes.size());
    EXPECT_THROW(strict.Frame(1).GetBitmap(), EInvalidGraphicOperation);
    EXPECT_EQ(tolerant.Frame(1).GetBitmap().width, 4);
    EXPECT_TRUE(tolerant.Frame(1).Corrupted);
    EXPECT_TRUE(TolerateCorruptGif) << "the program's default is left as it was";
}

TEST(GIFDamage, ALoopingStringTableIsCaught) {
    // 0, then 7 (not yet in the table), then 6, whose entry 7 is made its own
    // prefix; decoding 7 again would never end.
    BitWriter codes;
    codes.Put(4, 3);
    codes.Put(0, 3);
    codes.Put(7, 3);
    codes.Put(6, 3);
    codes.Put(7, 4);
    codes.Put(5, 4);
    Bytes bytes = GifBuilder().Screen(16, 16, {{0, 0, 0}, {9, 9, 9}}).Descriptor(0, 0, 16, 16).Raw({2}).Raw(SubBlocks(codes.bytes)).Trailer().bytes;
    TGIFImage image;
    image.LoadFromMemory(bytes.data(), bytes.size());
    EXPECT_TRUE(image.Frame(0).Corrupted);

    EXPECT_EQ(ErrorOf(bytes, kStrict), "GIF encoded data is corrupt");
}

TEST(GIFDamage, AFrameWithoutColourTable) {
    Bytes bytes = GifBuilder().Screen(2, 2).Image(0, 0, 2, 2, {0, 1, 1, 0}, 2).Image(0, 0, 2, 2, {0, 1, 1, 0}, 2, Ramp(2)).Trailer().bytes;
    // Decoding the first frame at load fails; the frame is dropped.
    EXPECT_EQ(ErrorOf(bytes), "Wrong number of colors; must be a power of 2");
    TGIFImage image;
    TMemoryStream stream(bytes.data(), bytes.size());
    bool changed = false;
    image.OnChange = [&] { changed = true; };
    image.ReadGifData(bytes.size(), stream, false);
    EXPECT_TRUE(changed);
    ASSERT_EQ(image.FrameCount(), 2);
    EXPECT_EQ(image.Frame(0).Item->BitsPerPixel, 0);
    EXPECT_THROW(image.Frame(0).GetBitmap(), EInvalidGraphicOperation);
    EXPECT_EQ(Indices(image.Frame(1).GetBitmap()), (std::vector<uint8_t>{0, 1, 1, 0}));
}

TEST(GIFImage, LoadsResetTheImageAndRaiseTheChangeEventOnlyWhenComplete) {
    TGIFImage image;
    int changes = 0;
    image.OnChange = [&] { ++changes; };
    Bytes good = GifBuilder().Screen(2, 1, Ramp(2)).Loop(0).Image(0, 0, 2, 1, {1, 0}, 2).Image(0, 0, 2, 1, {0, 1}, 2).Trailer().bytes;
    image.LoadFromMemory(good.data(), good.size());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(image.CurrentIndex(), 0);
    EXPECT_TRUE(image.PaletteModified);
    EXPECT_FALSE(image.Frame(1).HasBitmap()) << "frames after the first are decoded on demand";

    // A load of no bytes leaves an empty image and still reports the change.
    TMemoryStream nothing(good.data(), 0);
    image.ReadGifData(0, nothing, true);
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(image.FrameCount(), 0);
    EXPECT_EQ(image.CurrentIndex(), -1);
    EXPECT_EQ(image.LogicalWidth(), 0);
    EXPECT_FALSE(image.Looping());

    // A failing load keeps the frames read so far and reports no change.
    Bytes bad = good;
    bad.pop_back();
    bad.insert(bad.end(), {'!', 0x77});
    EXPECT_THROW(image.LoadFromMemory(bad.data(), bad.size()), EInvalidGraphicOperation);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(image.FrameCount(), 2);

    // A stream shorter than the count asked for.
    TMemoryStream shortStream(good.data(), good.size());
    EXPECT_THROW(image.ReadGifData(good.size() + 1, shortStream, true), EReadError);
}

TEST(GIFImage, AssignmentSharesDataAndItemsAndSizeCannotBeSet) {
    const auto pixels = Pattern(8, 8, 4);
    Bytes bytes = GifBuilder().Screen(8, 8, Ramp(4)).GraphicControl(20, 3).Image(1, 2, 6, 5, Pattern(6, 5, 4), 2).Image(0, 0, 8, 8, pixels, 2).Trailer().bytes;
    TGIFImage source, copy, other;
    source.LoadFromMemory(bytes.data(), bytes.size());
    other.LoadFromMemory(bytes.data(), bytes.size());
    copy.Assign(source);
    EXPECT_TRUE(copy.Equals(source));
    EXPECT_FALSE(other.Equals(source));
    ASSERT_EQ(copy.FrameCount(), 2);
    EXPECT_EQ(copy.Frame(0).Item, source.Frame(0).Item);
    EXPECT_EQ(copy.Frame(0).Left, 1);
    EXPECT_EQ(copy.Frame(0).Top, 2);
    EXPECT_EQ(copy.Frame(0).Delay, 200u);
    EXPECT_EQ(Indices(copy.Frame(1).GetBitmap()), pixels);
    EXPECT_EQ(copy.LogicalWidth(), 8);
}

// A GIF past the bounds is refused from its headers, before its pixels take
// memory; one within them, of the same make, still loads.
TEST(GIFDamage, PicturesPastTheBoundsAreRefused) {
    const auto make = [](uint16_t screen, uint16_t frame, bool padded) {
        GifBuilder b;
        b.Screen(screen, screen, Ramp(4));
        if (padded) b.Comment(std::vector<std::string>(30, std::string(255, 'x')));  // enough bytes per pixel
        return b.Image(0, 0, frame, frame, {0}, 2).Trailer().bytes;
    };
    const auto refusal = [](const Bytes& bytes) {
        TGIFImage image;
        try {
            image.LoadFromMemory(bytes.data(), bytes.size());
        } catch (const EInvalidGraphicOperation& error) {
            EXPECT_EQ(image.FrameCount(), 0);
            return std::string(error.what());
        }
        return std::string("loaded");
    };
    EXPECT_EQ(refusal(make(5000, 5000, true)), "The picture is too large");  // 100 MB composed
    EXPECT_EQ(refusal(make(100, 4000, false)), "The picture claims more pixels than its file can hold");
    EXPECT_EQ(refusal(make(1000, 1000, true)), "loaded");
}
