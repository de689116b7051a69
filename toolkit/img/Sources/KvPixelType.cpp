#include "KvPixelType.h"

#include <array>

namespace {

struct TypeRow {
    uint64_t id;
    const char* name;
    uint32_t bitDepth;
    uint32_t bitsPerPixel;
    KvPixelLayout layout;
    uint64_t unpackedID;  // 0: the type itself
};

using L = KvPixelLayout;
namespace P = KvPixelID;

// Every type the cameras, the network camera's formats and the decoder boards
// name, plus the destinations the programs display and save.
constexpr std::array kTypes = {
    TypeRow{P::GRAY8, "Grayscale 8", 8, 8, L::Mono8, 0},
    TypeRow{P::GRAY10, "Grayscale 10", 10, 16, L::Mono16, 0},
    TypeRow{P::GRAY12, "Grayscale 12", 12, 16, L::Mono16, 0},
    TypeRow{P::GRAY16, "Grayscale 16", 16, 16, L::Mono16, 0},
    TypeRow{P::GRAY10_NORMALIZED, "Grayscale 10 Normalized", 10, 16, L::Mono16, 0},
    TypeRow{P::GRAY12_NORMALIZED, "Grayscale 12 Normalized", 12, 16, L::Mono16, 0},
    TypeRow{P::GRAY10_PACKED, "Grayscale 10 Packed", 10, 10, L::MonoBitStream, P::GRAY10},
    TypeRow{P::GRAY12_PACKED, "Grayscale 12 Packed", 12, 12, L::MonoBitStream, P::GRAY12},
    TypeRow{P::GRAY10_PACKED_PAIR, "Grayscale 10 Pair Packed", 10, 12, L::MonoPair10, P::GRAY10},
    TypeRow{P::GRAY12_PACKED_PAIR, "Grayscale 12 Pair Packed", 12, 12, L::MonoPair12, P::GRAY12},
    TypeRow{P::BAYER8, "Bayer RGB 8", 8, 8, L::Mono8, 0},
    TypeRow{P::BAYER10, "Bayer RGB 10", 10, 16, L::Mono16, 0},
    TypeRow{P::BAYER12, "Bayer RGB 12", 12, 16, L::Mono16, 0},
    TypeRow{P::BAYER10_NORMALIZED, "Bayer RGB 10 Normalized", 10, 16, L::Mono16, 0},
    TypeRow{P::BAYER12_NORMALIZED, "Bayer RGB 12 Normalized", 12, 16, L::Mono16, 0},
    TypeRow{P::BAYER10_PACKED, "Bayer RGB 10 Packed", 10, 10, L::MonoBitStream, P::BAYER10},
    TypeRow{P::BAYER12_PACKED, "Bayer RGB 12 Packed", 12, 12, L::MonoBitStream, P::BAYER12},
    TypeRow{P::RGB24, "RGB 24", 8, 24, L::Rgb8, 0},
    TypeRow{P::RGBA32, "RGBA 32", 8, 32, L::Rgba8, 0},
    TypeRow{P::RGB48, "RGB 48", 16, 48, L::Rgb16, 0},
    TypeRow{P::BGR24, "BGR 24", 8, 24, L::Bgr8, 0},
    TypeRow{P::BGR32, "BGR 32", 8, 32, L::Bgra8, 0},
    TypeRow{P::RGB24_PACKED, "RGB 24 Packed", 8, 24, L::Rgb8, 0},
    TypeRow{P::RGBA32_PACKED, "RGBA 32 Packed", 8, 32, L::Rgba8, 0},
    TypeRow{P::BGR24_PACKED, "BGR 24 Packed", 8, 24, L::Bgr8, 0},
    TypeRow{P::BGRA32_PACKED, "BGRA 32 Packed", 8, 32, L::Bgra8, 0},
    TypeRow{P::RGB30_PACKED, "RGB 10 Packed", 10, 48, L::Rgb16, 0},
    TypeRow{P::RGB36_PACKED, "RGB 12 Packed", 12, 48, L::Rgb16, 0},
    TypeRow{P::YUV422, "YUV 8", 8, 16, L::Yuv422, 0},
    TypeRow{P::YUV422_10, "YUV 10", 10, 32, L::Yuv422x16, 0},
    TypeRow{P::YUV422_10_NORMALIZED, "YUV 10 Normalized", 10, 32, L::Yuv422x16, 0},
    TypeRow{P::YUV444_PACKED, "YUV 444 Packed", 8, 24, L::Yuv444, 0},
    TypeRow{P::YUV411_PACKED, "YUV 411 Packed", 8, 12, L::Yuv411, 0},
};

const TypeRow* FindRow(uint64_t id) {
    for (const TypeRow& row : kTypes) {
        if (row.id == id) {
            return &row;
        }
    }
    return nullptr;
}

size_t Groups(uint32_t width, uint32_t pixelsPerGroup) {
    return (size_t(width) + pixelsPerGroup - 1) / pixelsPerGroup;
}

}  // namespace

bool KvPixelType::IsBayer() const {
    return (m_nID & KvPixelID::FAMILY_MASK) == KvPixelID::FAMILY_COLOR && (m_nID & 0xFFFF) >= 0x10;
}

size_t KvPixelType::GetRowSizeFor(uint32_t width) const {
    switch (m_Layout) {
        case L::None:
            return 0;
        case L::MonoBitStream:
            return (size_t(width) * m_nBitDepth + 7) / 8;
        case L::MonoPair10:
        case L::MonoPair12:
            // A lone last pixel keeps its two bytes of the three.
            return (size_t(width) * 3 + 1) / 2;
        case L::Yuv422:
            return Groups(width, 2) * 4;
        case L::Yuv422x16:
            return Groups(width, 2) * 8;
        case L::Yuv411:
            return Groups(width, 4) * 6;
        default:
            return size_t(width) * (m_nBitsPerPixel / 8);
    }
}

size_t KvPixelType::GetBufferSizeFor(uint32_t width, uint32_t height) const {
    return GetRowSizeFor(width) * height;
}

uint64_t KvPixelType::GetUnpackedID() const {
    const TypeRow* row = FindRow(m_nID & ~KvPixelID::INTERLACED);
    if (row == nullptr || row->unpackedID == 0) {
        return m_nID;
    }
    return row->unpackedID | (m_nID & KvPixelID::INTERLACED);
}

std::vector<uint64_t> KvPixelType::GetKnownIDs() {
    std::vector<uint64_t> ids;
    for (const TypeRow& row : kTypes) {
        ids.push_back(row.id);
    }
    return ids;
}

KvPixelType KvPixelType::FromID(uint64_t id) {
    KvPixelType type;
    const TypeRow* row = FindRow(id & ~KvPixelID::INTERLACED);
    if (row == nullptr) {
        return type;
    }
    type.m_nID = id;
    type.m_sName = row->name;
    if (id & KvPixelID::INTERLACED) {
        type.m_sName += " Interlaced";
    }
    type.m_nBitDepth = row->bitDepth;
    type.m_nBitsPerPixel = row->bitsPerPixel;
    type.m_Layout = row->layout;
    return type;
}
