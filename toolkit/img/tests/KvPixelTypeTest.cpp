#include <gtest/gtest.h>

#include <memory>

#include "KvPixelTypeFactory.h"

namespace {

struct TypeCase {
    uint64_t id;
    uint32_t depth;
    uint32_t bytesPerPixel;
    bool color;
    size_t size5x3;  // buffer size of a 5 x 3 frame: odd sizes show the row rounding
};

// Every identifier the cameras, the network camera's format table, the decoder
// boards and the saving and display paths use, written as the numbers they send.
const TypeCase kTypes[] = {
    // Camera family: grayscale and Bayer, 8 bits, 10 and 12 packed or normalized.
    {0x10001, 8, 1, false, 15},
    {0x410002, 10, 2, false, 21},
    {0x110002, 10, 2, false, 30},
    {0x410003, 12, 2, false, 24},
    {0x110003, 12, 2, false, 30},
    {0x20010, 8, 1, true, 15},
    {0x420011, 10, 2, true, 21},
    {0x120011, 10, 2, true, 30},
    {0x420012, 12, 2, true, 24},
    {0x120012, 12, 2, true, 30},
    // Network camera formats.
    {0x410008, 10, 2, false, 24},
    {0x410009, 12, 2, false, 24},
    {0x10002, 10, 2, false, 30},
    {0x10003, 12, 2, false, 30},
    {0x10005, 16, 2, false, 30},
    {0x20011, 10, 2, true, 30},
    {0x20012, 12, 2, true, 30},
    {0x440006, 8, 2, true, 36},
    {0x40001, 8, 2, true, 36},
    {0x420002, 8, 3, true, 45},
    {0x420006, 8, 3, true, 45},
    {0x440003, 8, 3, true, 45},
    {0x420003, 8, 4, true, 60},
    {0x420007, 8, 4, true, 60},
    {0x420008, 10, 6, true, 90},
    {0x42000C, 12, 6, true, 90},
    // Decoder boards, interlaced forms included.
    {0x210001, 8, 1, false, 15},
    {0x210002, 10, 2, false, 30},
    {0x310002, 10, 2, false, 30},
    {0x240001, 8, 2, true, 36},
    {0x40002, 10, 4, true, 72},
    {0x240002, 10, 4, true, 72},
    {0x140002, 10, 4, true, 72},
    {0x340002, 10, 4, true, 72},
    // Display and saving destinations.
    {0x20002, 8, 3, true, 45},
    {0x120004, 16, 6, true, 90},
    {0x20007, 8, 4, true, 60},
};

}  // namespace

TEST(KvPixelType, EveryIdentifierOfTheSystemIsKnownWithItsSizes) {
    for (const TypeCase& c : kTypes) {
        SCOPED_TRACE(testing::Message() << std::hex << c.id);
        ASSERT_TRUE(KvPixelTypeFactory::HasPixelType(c.id));
        const KvPixelType type = KvPixelTypeFactory::GetPixelType(c.id);
        EXPECT_EQ(type.GetID(), c.id);
        EXPECT_EQ(type.GetBitDepth(), c.depth);
        EXPECT_EQ(type.GetBytesPerPixel(), c.bytesPerPixel);
        EXPECT_EQ(type.IsColor(), c.color);
        EXPECT_EQ(type.IsBayer(), (c.id & 0x2FFFF) >= 0x20010);
        EXPECT_EQ(type.GetBufferSizeFor(5, 3), c.size5x3);
        EXPECT_EQ(type.GetBufferSizeFor(8, 2), size_t(type.GetBitsPerPixel()) * 16 / 8)
            << "a width of 8 has no rounding";
        EXPECT_STRNE(type.GetName(), "");
    }
}

TEST(KvPixelType, UnknownIdentifiersGiveTheInvalidType) {
    for (uint64_t id : {0x0ull, 0x10004ull, 0x30001ull, 0x10001ull | (1ull << 32), 0x800000ull,
                        0x10001ull | 0x800000ull, 0x20020ull}) {
        EXPECT_FALSE(KvPixelTypeFactory::HasPixelType(id)) << std::hex << id;
        const KvPixelType type = KvPixelTypeFactory::GetPixelType(id);
        EXPECT_FALSE(type.IsValid());
        EXPECT_EQ(type.GetBufferSizeFor(640, 480), 0u);
        std::unique_ptr<KvPixelConverter> converter;
        EXPECT_EQ(KvPixelTypeFactory::CreateConverter(id, 0x20002, converter), 6u);
        EXPECT_FALSE(converter);
    }
}

TEST(KvPixelType, NamesAndUnpackedForms) {
    EXPECT_STREQ(KvPixelTypeFactory::GetPixelType(0x10001).GetName(), "Grayscale 8");
    EXPECT_STREQ(KvPixelTypeFactory::GetPixelType(0x340002).GetName(),
                 "YUV 10 Normalized Interlaced");
    EXPECT_EQ(KvPixelTypeFactory::GetPixelType(0x410003).GetUnpackedID(), 0x10003u);
    EXPECT_EQ(KvPixelTypeFactory::GetPixelType(0x410008).GetUnpackedID(), 0x10002u);
    EXPECT_EQ(KvPixelTypeFactory::GetPixelType(0x420012).GetUnpackedID(), 0x20012u);
    EXPECT_EQ(KvPixelTypeFactory::GetPixelType(0x110002).GetUnpackedID(), 0x110002u);
}

TEST(KvPixelTypeFactory, ConvertersExistForWhatTheProgramsAsk) {
    struct Pair {
        uint64_t from, to;
        bool exists;
    };
    const Pair pairs[] = {
        // Display and white balance: everything to RGB 24; saving: 32-bit BGR and grey.
        {0x10001, 0x20002, true},
        {0x420012, 0x20002, true},
        {0x440006, 0x20002, true},
        {0x42000C, 0x20002, true},
        {0x240002, 0x20002, true},
        {0x410009, 0x20007, true},
        {0x20010, 0x20007, true},
        {0x410003, 0x10001, true},
        {0x40001, 0x10001, true},
        {0x420002, 0x10001, true},
        // Deep frames to RGB 48 for TIFF; packed grayscale to its 16-bit form.
        {0x120012, 0x120004, true},
        {0x410002, 0x120004, true},
        {0x420008, 0x120004, true},
        {0x410003, 0x10003, true},
        {0x410009, 0x10003, true},
        {0x410003, 0x110003, true},
        {0x420011, 0x20011, true},
        {0x210002, 0x10002, true},
        {0x20002, 0x20002, true},
        // No such conversion.
        {0x20002, 0x20010, false},
        {0x40002, 0x120004, false},
        {0x10001, 0x120004, false},
        {0x410003, 0x10002, false},
        {0x420011, 0x10002, false},
        {0x10001, 0x210001, false},
        {0x10002, 0x410002, false},
    };
    for (const Pair& p : pairs) {
        EXPECT_EQ(KvPixelTypeFactory::HasConverter(p.from, p.to), p.exists)
            << std::hex << p.from << " -> " << p.to;
        std::unique_ptr<KvPixelConverter> converter;
        EXPECT_EQ(KvPixelTypeFactory::CreateConverter(p.from, p.to, converter),
                  p.exists ? 0u : 26u);
        EXPECT_EQ(converter != nullptr, p.exists);
    }
}
