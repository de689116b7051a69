#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "KvHighMemoryManager.h"
#include "KvImageBuffer.h"
#include "KvPixelType.h"

namespace {

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint32_t Get16(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8;
}

class KvImageFiles : public ::testing::Test {
protected:
    void SetUp() override {
        m_Dir = std::filesystem::temp_directory_path() /
                ("kvcam-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_Dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_Dir); }

    std::filesystem::path m_Dir;
};

// Checks the two headers and answers where the pixels start.
size_t CheckHeaders(const std::vector<uint8_t>& file, uint32_t width, uint32_t height,
                    uint32_t bits, size_t stride) {
    const size_t offset = 54 + (bits == 8 ? 1024 : 0);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Get32(file, 2), file.size());
    EXPECT_EQ(Get32(file, 10), offset);
    EXPECT_EQ(Get32(file, 14), 40u);
    EXPECT_EQ(Get32(file, 18), width);
    EXPECT_EQ(Get32(file, 22), height);  // positive: bottom-up
    EXPECT_EQ(Get16(file, 26), 1u);
    EXPECT_EQ(Get16(file, 28), bits);
    EXPECT_EQ(Get32(file, 30), 0u);
    EXPECT_EQ(Get32(file, 34), stride * height);
    EXPECT_EQ(file.size(), offset + stride * height);
    return offset;
}

TEST_F(KvImageFiles, GreyBitmapHasAPaletteAndPaddedBottomUpRows) {
    // 3 x 2 grey: rows of 3 bytes padded to 4.
    const std::vector<uint8_t> pixels{10, 20, 30, 40, 50, 60};
    const auto path = (m_Dir / "grey.bmp").string();
    ASSERT_EQ(KvImageBuffer::SaveBitmap(path, pixels.data(), pixels.size(), 3, 2, KvPixelID::GRAY8),
              KvCode::OK);
    const auto file = ReadFile(path);
    ASSERT_EQ(file.size(), 54u + 1024 + 8);
    const size_t offset = CheckHeaders(file, 3, 2, 8, 4);
    EXPECT_EQ(Get32(file, 46), 256u);
    for (uint32_t i = 0; i < 256; ++i) {
        ASSERT_EQ(Get32(file, 54 + 4 * i), i | i << 8 | i << 16) << i;
    }
    const std::vector<uint8_t> body(file.begin() + static_cast<std::ptrdiff_t>(offset), file.end());
    EXPECT_EQ(body, (std::vector<uint8_t>{40, 50, 60, 0, 10, 20, 30, 0}));
}

TEST_F(KvImageFiles, ColourBitmapsAre24Or32BitsInBlueGreenRedOrder) {
    // 3 x 2 RGB: rows of 9 bytes padded to 12.
    const std::vector<uint8_t> rgb{1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19};
    const auto path24 = (m_Dir / "rgb.bmp").string();
    ASSERT_EQ(KvImageBuffer::SaveBitmap(path24, rgb.data(), rgb.size(), 3, 2, KvPixelID::RGB24),
              KvCode::OK);
    auto file = ReadFile(path24);
    ASSERT_EQ(file.size(), 54u + 24);
    size_t offset = CheckHeaders(file, 3, 2, 24, 12);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + static_cast<std::ptrdiff_t>(offset), file.end()),
              (std::vector<uint8_t>{13, 12, 11, 16, 15, 14, 19, 18, 17, 0, 0, 0,  //
                                    3,  2,  1,  6,  5,  4,  9,  8,  7,  0, 0, 0}));

    // 32 bits need no padding.
    const std::vector<uint8_t> bgr32{1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255};
    const auto path32 = (m_Dir / "bgr32.bmp").string();
    ASSERT_EQ(KvImageBuffer::SaveBitmap(path32, bgr32.data(), bgr32.size(), 1, 3, KvPixelID::BGR32),
              KvCode::OK);
    file = ReadFile(path32);
    offset = CheckHeaders(file, 1, 3, 32, 4);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + static_cast<std::ptrdiff_t>(offset), file.end()),
              (std::vector<uint8_t>{7, 8, 9, 255, 4, 5, 6, 255, 1, 2, 3, 255}));
}

TEST_F(KvImageFiles, BadInputIsRefusedAndNothingIsWritten) {
    const std::vector<uint8_t> pixels(6, 1);
    const auto path = (m_Dir / "bad.bmp").string();
    struct Case {
        const char* what;
        size_t size;
        uint32_t width;
        uint64_t type;
        KvResult code;
    };
    for (const Case& c : {Case{"short data", 5, 3, KvPixelID::GRAY8, KvCode::BUFFER_TOO_SMALL},
                          Case{"zero width", 6, 0, KvPixelID::GRAY8, KvCode::INVALID_ARGUMENT},
                          Case{"unknown type", 6, 3, 0x7777, KvCode::INVALID_ARGUMENT}}) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(KvImageBuffer::SaveBitmap(path, pixels.data(), c.size, c.width, 2, c.type),
                  c.code);
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    EXPECT_EQ(KvImageBuffer::SaveBitmap((m_Dir / "none" / "x.bmp").string(), pixels.data(), 6, 3, 2,
                                        KvPixelID::GRAY8),
              KvCode::CANNOT_CREATE);
}

TEST_F(KvImageFiles, RawKeepsTheBytes) {
    const std::vector<uint8_t> bytes{0, 1, 2, 255, 0};
    const auto path = (m_Dir / "frame.raw").string();
    ASSERT_EQ(KvImageBuffer::SaveRaw(path, bytes.data(), bytes.size()), KvCode::OK);
    EXPECT_EQ(ReadFile(path), bytes);
    EXPECT_EQ(KvImageBuffer::SaveRaw(path, nullptr, 4), KvCode::INVALID_ARGUMENT);
}

TEST(KvImageBuffer, CapacityFollowsThePixelType) {
    KvImageBuffer buffer(1, 1, KvPixelID::GRAY8);
    EXPECT_EQ(buffer.GetBufferSize(), 1u);
    ASSERT_EQ(buffer.SetCapacity(5, 3, KvPixelID::RGB24), KvCode::OK);
    EXPECT_EQ(buffer.GetBufferSize(), 45u);
    EXPECT_EQ(buffer.SetCapacity(5, 3, 0x7777), KvCode::INVALID_ARGUMENT);
    EXPECT_EQ(buffer.SetCapacity(0, 3, KvPixelID::GRAY8), KvCode::INVALID_ARGUMENT);
    // A refused format leaves the old one.
    EXPECT_EQ(buffer.GetPixelType(), KvPixelID::RGB24);
    EXPECT_EQ(buffer.GetBufferSize(), 45u);
}

TEST(KvHighMemoryManager, StartFailsWithoutItsDriver) {
    KvHighMemoryManager manager(0, 1, true);
    EXPECT_EQ(manager.GetMaxBufferCount(), 2u);
    EXPECT_EQ(manager.Start(), KvCode::NOT_SUPPORTED);
    EXPECT_FALSE(manager.IsValid());
    EXPECT_EQ(manager.Allocate(16), nullptr);
    EXPECT_EQ(KvHighMemoryManager(5, 4, true).Start(), KvCode::INVALID_ARGUMENT);
}

}  // namespace
