#pragma once
// Pixel types: what one 64-bit identifier says about the bytes of a frame.
//
// How an identifier is built (bits counted from 0):
//
//   bits  0..15  layout index within the family (see KvPixelID below)
//   bits 16..19  family: 0x1 grayscale, 0x2 colour (RGB layouts and Bayer
//                mosaics, index 0x10 and above being Bayer), 0x4 YUV
//   bit  20      0x100000 normalized: a sample of 10 or 12 bits sits in the
//                top bits of its 16-bit little-endian word (low bits zero)
//   bit  21      0x200000 interlaced: the frame holds the first field's lines
//                (frame rows 0, 2, 4 ...) followed by the second field's lines
//                (rows 1, 3, 5 ...); converters weave them into frame order
//   bit  22      0x400000 packed: samples share bytes (grayscale and Bayer), or
//                the network camera's interleaved colour and YUV layouts
//   bits 23..63  zero
//
// A 10- or 12-bit sample without either flag sits in the low bits of its
// 16-bit little-endian word. The interlaced bit combines with every type.
//
// Every row of a frame starts on a byte: a row of a bit-packed type is
// ceil(width * bits / 8) bytes, so for the widths the cameras send (a multiple
// of 4) the frame is the same continuous stream the device sends.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace KvPixelID {
inline constexpr uint64_t NORMALIZED = 0x100000;
inline constexpr uint64_t INTERLACED = 0x200000;
inline constexpr uint64_t PACKED = 0x400000;

inline constexpr uint64_t FAMILY_MASK = 0xF0000;
inline constexpr uint64_t FAMILY_GRAY = 0x10000;
inline constexpr uint64_t FAMILY_COLOR = 0x20000;
inline constexpr uint64_t FAMILY_YUV = 0x40000;

// Grayscale.
inline constexpr uint64_t GRAY8 = 0x10001;
inline constexpr uint64_t GRAY10 = 0x10002;  // low bits of a 16-bit word
inline constexpr uint64_t GRAY12 = 0x10003;
inline constexpr uint64_t GRAY16 = 0x10005;
inline constexpr uint64_t GRAY10_NORMALIZED = 0x110002;
inline constexpr uint64_t GRAY12_NORMALIZED = 0x110003;
// The camera link's packing: the samples of a row as one bit stream, least
// significant bit first (10 bits: four pixels in five bytes; 12 bits: two
// pixels in three bytes, p0 = b0 | (b1 & 0x0F) << 8, p1 = b1 >> 4 | b2 << 4).
inline constexpr uint64_t GRAY10_PACKED = 0x410002;
inline constexpr uint64_t GRAY12_PACKED = 0x410003;
// The network camera's packing: two pixels in three bytes, the top eight bits
// of each pixel in b0 and b2 and the low bits of both in b1 (Mono10Packed:
// bits 0..1 and 4..5; Mono12Packed: low and high nibble).
inline constexpr uint64_t GRAY10_PACKED_PAIR = 0x410008;
inline constexpr uint64_t GRAY12_PACKED_PAIR = 0x410009;

// Bayer mosaics; the pattern comes with the conversion flags.
inline constexpr uint64_t BAYER8 = 0x20010;
inline constexpr uint64_t BAYER10 = 0x20011;
inline constexpr uint64_t BAYER12 = 0x20012;
inline constexpr uint64_t BAYER10_NORMALIZED = 0x120011;
inline constexpr uint64_t BAYER12_NORMALIZED = 0x120012;
inline constexpr uint64_t BAYER10_PACKED = 0x420011;
inline constexpr uint64_t BAYER12_PACKED = 0x420012;

// Colour; byte order as named. The packed forms are the network camera's.
inline constexpr uint64_t RGB24 = 0x20002;
inline constexpr uint64_t RGBA32 = 0x20003;
inline constexpr uint64_t RGB48 = 0x120004;  // 16 bits a channel, full range
inline constexpr uint64_t BGR24 = 0x20006;
inline constexpr uint64_t BGR32 = 0x20007;  // B, G, R, then 255: a 32-bit bitmap
inline constexpr uint64_t RGB24_PACKED = 0x420002;
inline constexpr uint64_t RGBA32_PACKED = 0x420003;
inline constexpr uint64_t BGR24_PACKED = 0x420006;
inline constexpr uint64_t BGRA32_PACKED = 0x420007;
inline constexpr uint64_t RGB30_PACKED = 0x420008;  // 10 bits in the low bits of 16
inline constexpr uint64_t RGB36_PACKED = 0x42000C;  // 12 bits in the low bits of 16

// YUV. 4:2:2 is U Y0 V Y1 per pixel pair; 4:4:4 is U Y V; 4:1:1 is
// U Y0 Y1 V Y2 Y3 per four pixels. Full range: Y 0..255, U and V around 128.
inline constexpr uint64_t YUV422 = 0x40001;
inline constexpr uint64_t YUV422_10 = 0x40002;  // the same in 16-bit words
inline constexpr uint64_t YUV422_10_NORMALIZED = 0x140002;
inline constexpr uint64_t YUV444_PACKED = 0x440003;
inline constexpr uint64_t YUV411_PACKED = 0x440006;
}  // namespace KvPixelID

// How the bytes of a row are laid out; the converters switch on it once per
// frame, never per pixel.
enum class KvPixelLayout : uint8_t {
    None,
    Mono8,
    Mono16,         // one 16-bit word a sample
    MonoBitStream,  // the camera link's packing
    MonoPair10,     // the network camera's 10-bit pair packing
    MonoPair12,     // the network camera's 12-bit pair packing
    Rgb8,
    Bgr8,
    Rgba8,
    Bgra8,
    Rgb16,  // three 16-bit words
    Yuv422,
    Yuv422x16,
    Yuv444,
    Yuv411,
};

class KvPixelType {
public:
    KvPixelType() = default;  // the invalid type: every size is 0

    bool IsValid() const { return m_Layout != KvPixelLayout::None; }
    uint64_t GetID() const { return m_nID; }
    // "Grayscale 8", "YUV 10 Normalized Interlaced" ...
    const char* GetName() const { return m_sName.c_str(); }
    // Significant bits of one sample (8, 10, 12 or 16).
    uint32_t GetBitDepth() const { return m_nBitDepth; }
    // Bits one pixel takes in the frame on average (12 for two pixels in three bytes).
    uint32_t GetBitsPerPixel() const { return m_nBitsPerPixel; }
    // Whole bytes of one pixel once unpacked: bit-packed and sub-sampled
    // types round up (a packed 12-bit sample gives 2).
    uint32_t GetBytesPerPixel() const { return (m_nBitsPerPixel + 7) / 8; }
    bool IsColor() const { return (m_nID & KvPixelID::FAMILY_MASK) != KvPixelID::FAMILY_GRAY; }
    bool IsBayer() const;
    bool IsYUV() const { return (m_nID & KvPixelID::FAMILY_MASK) == KvPixelID::FAMILY_YUV; }
    bool IsPacked() const { return (m_nID & KvPixelID::PACKED) != 0; }
    bool IsNormalized() const { return (m_nID & KvPixelID::NORMALIZED) != 0; }
    bool IsInterlaced() const { return (m_nID & KvPixelID::INTERLACED) != 0; }
    KvPixelLayout GetLayout() const { return m_Layout; }

    // Bytes of one row and of a whole frame without row padding; 0 for the
    // invalid type.
    size_t GetRowSizeFor(uint32_t width) const;
    size_t GetBufferSizeFor(uint32_t width, uint32_t height) const;

    // The type with the same samples one 16-bit word each (a packed 12-bit
    // grayscale gives GRAY12), or this type's id when it is not bit-packed.
    uint64_t GetUnpackedID() const;

    // Every identifier the toolkit knows, interlaced forms excluded.
    static std::vector<uint64_t> GetKnownIDs();
    // The type for an identifier; the invalid type when it is unknown.
    static KvPixelType FromID(uint64_t id);

private:
    uint64_t m_nID = 0;
    std::string m_sName;
    uint32_t m_nBitDepth = 0;
    uint32_t m_nBitsPerPixel = 0;
    KvPixelLayout m_Layout = KvPixelLayout::None;
};
