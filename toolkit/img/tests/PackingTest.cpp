#include <gtest/gtest.h>

#include "ConvertHelper.h"

namespace {

struct PackedCase {
    const char* what;
    uint64_t id;
    Bytes bytes;                    // one row, as the device sends it
    std::vector<uint16_t> samples;  // what it holds
};

// Odd widths, so the lone last sample of a row is read too.
const PackedCase kPacked[] = {
    {"camera link 10-bit stream",
     0x410002,
     {0xFF, 0x07, 0xA0, 0x6A, 0x55, 0xF0, 0x00},
     {0x3FF, 0x001, 0x2AA, 0x155, 0x0F0}},
    {"camera link 12-bit stream", 0x410003, {0xBC, 0x3A, 0x12, 0xED, 0x0F}, {0xABC, 0x123, 0xFED}},
    {"Mono10Packed", 0x410008, {0xFF, 0x13, 0x00, 0xAA, 0x02}, {0x3FF, 0x001, 0x2AA}},
    {"Mono12Packed", 0x410009, {0xAB, 0x3C, 0x12, 0xFE, 0x0D}, {0xABC, 0x123, 0xFED}},
    // 16-bit words: bits above the depth are noise from the wire and are dropped.
    {"Mono12 with noise", 0x10003, Words({0xFABC, 0x0123, 0x1FED}), {0xABC, 0x123, 0xFED}},
    {"Mono12 normalized", 0x110003, Words({0xABC0, 0x1230, 0xFED0}), {0xABC, 0x123, 0xFED}},
    {"Mono16", 0x10005, Words({0xABCD, 0x0102}), {0xABCD, 0x0102}},
};

}  // namespace

TEST(PackedSamples, UnpackNormalizeAndReduceExactly) {
    for (const PackedCase& c : kPacked) {
        SCOPED_TRACE(c.what);
        const uint32_t width = uint32_t(c.samples.size());
        const KvPixelType type = KvPixelTypeFactory::GetPixelType(c.id);
        const uint32_t depth = type.GetBitDepth();
        Bytes low, top, gray8, rgb48;
        for (uint16_t s : c.samples) {
            low.insert(low.end(), {uint8_t(s), uint8_t(s >> 8)});
            const uint16_t full = uint16_t(s << (16 - depth));
            top.insert(top.end(), {uint8_t(full), uint8_t(full >> 8)});
            gray8.push_back(uint8_t(s >> (depth - 8)));
            for (int i = 0; i < 3; ++i) {
                rgb48.insert(rgb48.end(), {uint8_t(full), uint8_t(full >> 8)});
            }
        }
        EXPECT_EQ(Convert(c.id, 0x10001, c.bytes, width, 1), gray8);
        EXPECT_EQ(Convert(c.id, 0x120004, c.bytes, width, 1), rgb48);
        const uint64_t lowID = depth == 10 ? 0x10002 : 0x10003;
        if ((depth == 10 || depth == 12) && c.id != lowID) {
            EXPECT_EQ(Convert(c.id, lowID, c.bytes, width, 1), low);
            EXPECT_EQ(Convert(c.id, lowID | 0x100000, c.bytes, width, 1), top);
        }
    }
}

TEST(PackedSamples, RowsOfAPackedFrameStartOnWholeBytes) {
    // Two rows of three 12-bit samples: each row is five bytes.
    const Bytes frame = {0xBC, 0x3A, 0x12, 0xED, 0x0F, 0x00, 0x01, 0x20, 0xFF, 0x0F};
    EXPECT_EQ(Convert(0x410003, 0x10001, frame, 3, 2), Bytes({0xAB, 0x12, 0xFE, 0x10, 0x20, 0xFF}));
}

TEST(ColourPackings, ReorderAndReduce) {
    struct Case {
        const char* what;
        uint64_t from, to;
        Bytes source;
        Bytes expected;
    };
    const Case cases[] = {
        {"BGR to RGB", 0x420006, 0x20002, {1, 2, 3, 4, 5, 6}, {3, 2, 1, 6, 5, 4}},
        {"RGBA to BGR 32",
         0x420003,
         0x20007,
         {1, 2, 3, 9, 4, 5, 6, 9},
         {3, 2, 1, 255, 6, 5, 4, 255}},
        {"BGRA to RGB", 0x420007, 0x20002, {1, 2, 3, 9, 4, 5, 6, 9}, {3, 2, 1, 6, 5, 4}},
        {"RGB packed to RGB", 0x420002, 0x20002, {1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}},
        {"RGB 12 to RGB", 0x42000C, 0x20002, Words({0xFFF, 0x123, 0xF010}), {0xFF, 0x12, 0x01}},
        {"RGB 10 to RGB 48", 0x420008, 0x120004, Words({0x3FF, 0x001, 0x200}),
         Words({0xFFC0, 0x0040, 0x8000})},
        {"RGB 48 to RGB", 0x120004, 0x20002, Words({0xFFFF, 0x12FF, 0x00FF}), {0xFF, 0x12, 0x00}},
        // Luma (0.299, 0.587, 0.114), rounded: white, pure red, pure green, pure blue.
        {"RGB to grey",
         0x20002,
         0x10001,
         {255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255},
         {255, 76, 150, 29}},
        {"grey to BGR 32", 0x10001, 0x20007, {7, 200}, {7, 7, 7, 255, 200, 200, 200, 255}},
    };
    for (const Case& c : cases) {
        const uint32_t width =
            uint32_t(c.expected.size() / KvPixelTypeFactory::GetPixelType(c.to).GetBytesPerPixel());
        EXPECT_EQ(Convert(c.from, c.to, c.source, width, 1), c.expected) << c.what;
    }
}

TEST(YuvConversion, FullRangeBt601ForEveryPacking) {
    // Y 100 with U 90, V 200 gives (201, 62, 33); Y 250 with the same chroma
    // clips red; neutral chroma keeps grey.
    struct Case {
        const char* what;
        uint64_t id;
        uint32_t width;
        Bytes source;
        Bytes rgb;
    };
    const Case cases[] = {
        {"4:2:2, odd width",
         0x40001,
         3,
         {90, 100, 200, 250, 128, 7, 128, 0},
         {201, 62, 33, 255, 212, 183, 7, 7, 7}},
        {"4:4:4", 0x440003, 2, {90, 100, 200, 128, 7, 128}, {201, 62, 33, 7, 7, 7}},
        {"4:1:1, width 5",
         0x440006,
         5,
         {90, 100, 250, 200, 100, 100, 128, 7, 0, 128, 0, 0},
         {201, 62, 33, 255, 212, 183, 201, 62, 33, 201, 62, 33, 7, 7, 7}},
        {"10-bit 4:2:2",
         0x40002,
         2,
         Words({90 << 2, 100 << 2 | 3, 200 << 2, 250 << 2}),
         {201, 62, 33, 255, 212, 183}},
        {"10-bit 4:2:2 normalized",
         0x140002,
         2,
         Words({90 << 8, 100 << 8, 200 << 8, 250 << 8}),
         {201, 62, 33, 255, 212, 183}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Convert(c.id, 0x20002, c.source, c.width, 1), c.rgb);
        const Bytes gray = Convert(c.id, 0x10001, c.source, c.width, 1);
        ASSERT_EQ(gray.size(), c.width);
        EXPECT_EQ(gray[0], 100);  // grey is the luma sample itself
    }
}

TEST(Interlacing, FieldsAreWovenIntoFrameOrder) {
    // Three rows: the first field holds rows 0 and 2, the second row 1.
    const Bytes fields = {10, 11, 30, 31, 20, 21};
    EXPECT_EQ(Convert(0x210001, 0x10001, fields, 2, 3), Bytes({10, 11, 20, 21, 30, 31}));
    EXPECT_EQ(Convert(0x210001, 0x210001, fields, 2, 3), fields) << "a copy stays field by field";
    const Bytes yuvFields = {128, 10, 128, 10, 128, 20, 128, 20};
    EXPECT_EQ(Convert(0x240001, 0x20002, yuvFields, 2, 2),
              Bytes({10, 10, 10, 10, 10, 10, 20, 20, 20, 20, 20, 20}));
}
