#include <gtest/gtest.h>

#include <cmath>

#include "ConvertHelper.h"
#include "KvConversionFlags.h"

namespace {

KvRGBFilter WhiteBalance() {
    KvRGBFilter filter;
    EXPECT_EQ(filter.SetGains(1.5, 1.0, 0.5), 0u);
    filter.SetOffsets(0, 10, 0);
    return filter;
}

}  // namespace

TEST(KvRGBFilter, GainsAndOffsetsApplyWithAConverterOrAlone) {
    const KvRGBFilter filter = WhiteBalance();
    // 100 -> 150, 110, 50; 200/250/255 -> 300 and 260 clip, 127.5 rounds up.
    const Bytes rgb = {100, 100, 100, 200, 250, 255};
    const Bytes filtered = {150, 110, 50, 255, 255, 128};
    EXPECT_EQ(Convert(0x20002, 0x20002, rgb, 2, 1, 0, &filter), filtered);
    EXPECT_EQ(Convert(0x420006, 0x20007, {100, 100, 100, 255, 250, 200}, 2, 1, 0, &filter),
              Bytes({50, 110, 150, 255, 128, 255, 255, 255}));
    EXPECT_EQ(Convert(0x10001, 0x20002, {100}, 1, 1, 0, &filter), Bytes({150, 110, 50}));
    EXPECT_EQ(Convert(0x20002, 0x10001, rgb, 2, 1, 0, &filter),
              Convert(0x20002, 0x10001, rgb, 2, 1))
        << "grey destinations ignore the filter";

    Bytes alone = rgb;
    EXPECT_EQ(filter.ApplyTo(alone.data(), alone.size(), 2, 1, 0x20002), 0u);
    EXPECT_EQ(alone, filtered);

    // 16-bit channels: offsets given in 8-bit samples scale up by 256.
    Bytes deep = Words({0x1000, 0x1000, 0xFFFF});
    EXPECT_EQ(filter.ApplyTo(deep.data(), deep.size(), 1, 1, 0x120004), 0u);
    EXPECT_EQ(deep, Words({0x1800, 0x1A00, 0x8000}));
}

TEST(KvRGBFilter, OffsetsFollowTheirOwnDepth) {
    KvRGBFilter filter(16);  // the network camera's filter takes 16-bit offsets
    filter.SetOffsets(768, 0, 255);
    EXPECT_EQ(Convert(0x10001, 0x20002, {100}, 1, 1, 0, &filter), Bytes({103, 100, 100}));
}

TEST(KvRGBFilter, RefusesBadGainsAndBuffers) {
    KvRGBFilter filter = WhiteBalance();
    EXPECT_EQ(filter.SetGain(KvRGBFilter::RED, 0.0), 18u);
    EXPECT_EQ(filter.SetGain(KvRGBFilter::RED, std::nan("")), 18u);
    EXPECT_EQ(filter.SetGains(1.0, -1.0, 1.0), 18u);
    EXPECT_EQ(filter.GetGain(KvRGBFilter::RED), 1.5) << "unchanged after a refusal";
    EXPECT_EQ(filter.GetGain(KvRGBFilter::GREEN), 1.0);

    Bytes gray(4), rgb(11);
    EXPECT_EQ(filter.ApplyTo(gray.data(), gray.size(), 2, 2, 0x10001), 26u);
    EXPECT_EQ(filter.ApplyTo(rgb.data(), rgb.size(), 2, 2, 0x20002), 4u);
    EXPECT_EQ(filter.ApplyTo(rgb.data(), rgb.size(), 2, 2, 0x20002, 5), 18u);
    filter.Reset();
    EXPECT_TRUE(filter.IsIdentity());
}

TEST(KvPixelConverter, ChecksSizesAndStridesBeforeTouchingAnything) {
    std::unique_ptr<KvPixelConverter> converter;
    ASSERT_EQ(KvPixelTypeFactory::CreateConverter(0x410009, 0x20002, converter), 0u);
    // 3 x 2 Mono12Packed: rows of 5 bytes; RGB 24: rows of 9 bytes.
    Bytes source(10, 0x55), destination(18, 0xEE);
    struct Case {
        const char* what;
        size_t sourceSize, destinationSize;
        uint32_t width, height;
        size_t sourceStride, destinationStride;
        KvResult expected;
    };
    const Case cases[] = {
        {"zero width", 10, 18, 0, 2, 0, 0, 18},
        {"zero height", 10, 18, 3, 0, 0, 0, 18},
        {"source stride shorter than a row", 10, 18, 3, 2, 4, 0, 18},
        {"destination stride shorter than a row", 10, 18, 3, 2, 0, 8, 18},
        {"source one byte short", 9, 18, 3, 2, 0, 0, 4},
        {"destination one byte short", 10, 17, 3, 2, 0, 0, 4},
        {"source stride past the buffer", 10, 18, 3, 2, 6, 0, 4},
        {"huge stride", 10, 18, 3, 2, size_t(1) << 62, 0, 4},
        {"too many rows", 10, 18, 3, 0x80000000u, 0, 0, 4},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(
            converter->Convert(source.data(), c.sourceSize, destination.data(), c.destinationSize,
                               c.width, c.height, 0, nullptr, c.sourceStride, c.destinationStride),
            c.expected)
            << c.what;
    }
    EXPECT_EQ(converter->Convert(nullptr, 10, destination.data(), 18, 3, 2), 18u);
    EXPECT_EQ(destination, Bytes(18, 0xEE)) << "nothing written on a refusal";
}

TEST(KvPixelConverter, PaddedRowsAreReadAndWrittenAtTheirStrides) {
    // 3 x 2 grey, source rows 5 bytes apart, destination rows 11 apart; the
    // last rows carry no padding, so the buffers end with the frame.
    const Bytes source = {1, 2, 3, 0x99, 0x99, 4, 5, 6};
    Bytes destination(11 + 9, 0xEE);
    std::unique_ptr<KvPixelConverter> converter;
    ASSERT_EQ(KvPixelTypeFactory::CreateConverter(0x10001, 0x20002, converter), 0u);
    ASSERT_EQ(converter->Convert(source.data(), source.size(), destination.data(),
                                 destination.size(), 3, 2, 0, nullptr, 5, 11),
              0u);
    EXPECT_EQ(destination, Bytes({1, 1, 1, 2, 2, 2, 3, 3, 3, 0xEE, 0xEE,  //
                                  4, 4, 4, 5, 5, 5, 6, 6, 6}));
}
