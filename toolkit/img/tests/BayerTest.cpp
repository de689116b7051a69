#include <gtest/gtest.h>

#include "ConvertHelper.h"
#include "KvConversionFlags.h"
#include "KvPixelType.h"

namespace {

// 5 x 3: odd both ways, so the first and last column and row of every
// pattern position are met. Expected values worked out by hand with the edge
// rule (a missing neighbour is mirrored from the inside).
const Bytes kMosaic = {
    12,  200, 37,  90,  255,  //
    64,  5,   180, 33,  71,   //
    140, 222, 9,   118, 60,   //
};

struct PatternCase {
    uint32_t flag;
    Bytes rgb;
};

const PatternCase kPatterns[] = {
    {KvConversion::BAYER_GRBG,
     {200, 12,  64, 200, 15, 122, 145, 37, 180, 90,  90, 126, 90,  255, 71,  //
      211, 41,  64, 211, 5,  122, 158, 21, 180, 104, 33, 126, 104, 95,  71,  //
      222, 140, 64, 222, 40, 122, 170, 9,  180, 118, 34, 126, 118, 60,  71}},
    {KvConversion::BAYER_GBRG,
     {64, 12,  200, 122, 15, 200, 180, 37, 145, 126, 90, 90,  71, 255, 90,   //
      64, 41,  211, 122, 5,  211, 180, 21, 158, 126, 33, 104, 71, 95,  104,  //
      64, 140, 222, 122, 40, 222, 180, 9,  170, 126, 34, 118, 71, 60,  118}},
    {KvConversion::BAYER_RGGB, {12,  132, 5, 25, 200, 5, 37, 163, 19, 146, 90,  33, 255, 81, 33,  //
                                76,  64,  5, 50, 167, 5, 23, 180, 19, 90,  115, 33, 158, 71, 33,  //
                                140, 143, 5, 75, 222, 5, 9,  175, 19, 35,  118, 33, 60,  95, 33}},
    {KvConversion::BAYER_BGGR, {5, 132, 12,  5, 200, 25, 19, 163, 37, 33, 90,  146, 33, 81, 255,  //
                                5, 64,  76,  5, 167, 50, 19, 180, 23, 33, 115, 90,  33, 71, 158,  //
                                5, 143, 140, 5, 222, 75, 19, 175, 9,  33, 118, 35,  33, 95, 60}},
};

constexpr uint32_t kInterpolate = KvConversion::INTERPOLATE;

Bytes ToBgra(const Bytes& rgb) {
    Bytes out;
    for (size_t i = 0; i < rgb.size(); i += 3) {
        out.insert(out.end(), {rgb[i + 2], rgb[i + 1], rgb[i], 255});
    }
    return out;
}

}  // namespace

TEST(BayerInterpolation, EveryPatternIsExactToTheEdges) {
    for (const PatternCase& c : kPatterns) {
        SCOPED_TRACE(testing::Message() << "pattern 0x" << std::hex << c.flag);
        EXPECT_EQ(Convert(0x20010, 0x20002, kMosaic, 5, 3, c.flag | kInterpolate), c.rgb);
        EXPECT_EQ(Convert(0x20010, 0x20007, kMosaic, 5, 3, c.flag | kInterpolate), ToBgra(c.rgb));
    }
}

TEST(BayerInterpolation, DeepMosaicsGiveTheSameColoursFromTheirTopBits) {
    // Each 8-bit sample v becomes the 12-bit sample v << 4 | 0xA: the low bits
    // must not leak into an 8-bit result.
    Bytes words, normalized, packed;
    for (size_t i = 0; i < kMosaic.size(); ++i) {
        const uint16_t v12 = uint16_t(kMosaic[i] << 4 | 0xA);
        words.push_back(uint8_t(v12));
        words.push_back(uint8_t(v12 >> 8));
        normalized.push_back(uint8_t(v12 << 4));
        normalized.push_back(uint8_t(v12 >> 4));
    }
    // The camera link's 12-bit packing: two samples in three bytes, row by row.
    for (size_t row = 0; row < 3; ++row) {
        for (size_t x = 0; x < 5; x += 2) {
            const uint16_t a = uint16_t(kMosaic[row * 5 + x] << 4 | 0xA);
            const uint16_t b = x + 1 < 5 ? uint16_t(kMosaic[row * 5 + x + 1] << 4 | 0xA) : 0;
            packed.push_back(uint8_t(a));
            packed.push_back(uint8_t((a >> 8) | (b & 0x0F) << 4));
            if (x + 1 < 5) {
                packed.push_back(uint8_t(b >> 4));
            }
        }
    }
    const uint32_t flags = KvConversion::BAYER_RGGB | kInterpolate;
    const Bytes& expected = kPatterns[2].rgb;
    EXPECT_EQ(Convert(0x20012, 0x20002, words, 5, 3, flags), expected);
    EXPECT_EQ(Convert(0x120012, 0x20002, normalized, 5, 3, flags), expected);
    EXPECT_EQ(Convert(0x420012, 0x20002, packed, 5, 3, flags), expected);
}

TEST(BayerInterpolation, SixteenBitResultInterpolatesFullRangeSamples) {
    // 2 x 2 RGGB of 10-bit samples: R 0x3FF, G 0x100 and 0x001, B 0x000.
    const Bytes mosaic = Words({0x3FF, 0x100, 0x001, 0x000});
    // Full range first (<< 6), then the means: green at R and B sites is
    // (0x4000 + 0x0040 + 0x4000 + 0x0040 + 2) >> 2 = 0x2020.
    const Bytes expected = Words({0xFFC0, 0x2020, 0x0000, 0xFFC0, 0x4000, 0x0000,  //
                                  0xFFC0, 0x0040, 0x0000, 0xFFC0, 0x2020, 0x0000});
    EXPECT_EQ(Convert(0x20011, 0x120004, mosaic, 2, 2, KvConversion::BAYER_RGGB | kInterpolate),
              expected);
}

TEST(BayerInterpolation, WithoutInterpolationTheMosaicShowsAsGrey) {
    const Bytes rgb = Convert(0x20010, 0x20002, kMosaic, 5, 3, KvConversion::BAYER_GRBG);
    for (size_t i = 0; i < kMosaic.size(); ++i) {
        EXPECT_EQ(Bytes(rgb.begin() + 3 * i, rgb.begin() + 3 * i + 3), Bytes(3, kMosaic[i]));
    }
    // Grey destinations never interpolate.
    EXPECT_EQ(Convert(0x20010, 0x10001, kMosaic, 5, 3, KvConversion::BAYER_GRBG | kInterpolate),
              kMosaic);
}

TEST(BayerInterpolation, RefusesFlagsOrSizesItCannotInterpolate) {
    std::unique_ptr<KvPixelConverter> converter;
    ASSERT_EQ(KvPixelTypeFactory::CreateConverter(0x20010, 0x20002, converter), 0u);
    Bytes out(5 * 3 * 3, 0xEE);
    struct Case {
        uint32_t flags, width, height;
    };
    const Case cases[] = {
        {kInterpolate, 5, 3},                                                        // no pattern
        {kInterpolate | KvConversion::BAYER_RGGB | KvConversion::BAYER_GBRG, 5, 3},  // two
        {kInterpolate | KvConversion::BAYER_RGGB, 1, 3},
        {kInterpolate | KvConversion::BAYER_RGGB, 5, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(converter->Convert(kMosaic.data(), kMosaic.size(), out.data(), out.size(),
                                     c.width, c.height, c.flags),
                  18u)
            << std::hex << c.flags << " " << c.width << "x" << c.height;
        EXPECT_FALSE(converter->GetInfoString().IsEmpty());
    }
    EXPECT_EQ(out, Bytes(out.size(), 0xEE)) << "nothing written on a refusal";
    // A single column converts fine when nothing is interpolated.
    EXPECT_EQ(converter->Convert(kMosaic.data(), kMosaic.size(), out.data(), out.size(), 1, 3, 0),
              0u);
}

TEST(BayerInterpolation, FastAndPlainPathsAgreeOnALargerFrame) {
    // A woven frame may go through the library's fastest path; the same frame
    // stored field by field always goes through the row kernels. Both must
    // give the same bytes, for every pattern and output order.
    constexpr uint32_t kW = 67, kH = 41;
    Bytes woven(kW * kH), fields(kW * kH);
    uint32_t seed = 12345;
    for (auto& b : woven) {
        seed = seed * 1103515245u + 12345u;
        b = uint8_t(seed >> 16);
    }
    for (uint32_t y = 0; y < kH; ++y) {
        const uint32_t stored = y % 2 == 0 ? y / 2 : (kH + 1) / 2 + y / 2;
        std::copy_n(woven.begin() + y * kW, kW, fields.begin() + stored * kW);
    }
    for (const PatternCase& c : kPatterns) {
        for (uint64_t to : {0x20002u, 0x20006u, 0x20003u, 0x20007u}) {
            SCOPED_TRACE(testing::Message() << std::hex << c.flag << " -> " << to);
            EXPECT_EQ(Convert(0x20010, to, woven, kW, kH, c.flag | kInterpolate),
                      Convert(0x220010, to, fields, kW, kH, c.flag | kInterpolate));
        }
    }
    for (uint64_t to : {0x20002u, 0x20007u}) {
        EXPECT_EQ(Convert(0x10001, to, woven, kW, kH), Convert(0x210001, to, fields, kW, kH));
    }
}
