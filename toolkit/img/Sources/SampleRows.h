#pragma once
// Row kernels: turn one row of a source layout into plain samples, and plain
// samples into one row of a destination layout. Each is a tight loop over a
// row; the caller picks the kernel once per frame.

#include <bit>
#include <cstdint>
#include <cstring>

#include "KvPixelType.h"

static_assert(std::endian::native == std::endian::little,
              "16-bit samples are read and written as little-endian words");

namespace KvImgDetail {

struct SampleFormat {
    KvPixelLayout layout;
    uint32_t depth;   // significant bits of a sample
    bool normalized;  // 16-bit words hold the sample in their top bits
};

inline uint16_t Load16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
inline void Store16(uint8_t* p, uint16_t v) {
    std::memcpy(p, &v, 2);
}

// Grayscale and Bayer rows. Decode16 gives each sample at its own depth in
// the low bits (bits above the depth are masked, so a corrupt frame cannot
// yield out-of-range values); Decode8 gives the top eight bits and may return
// the source itself when it already is one byte a sample.
void DecodeMono16(const SampleFormat& f, const uint8_t* src, uint32_t width, uint16_t* out);
const uint8_t* DecodeMono8(const SampleFormat& f, const uint8_t* src, uint32_t width,
                           uint8_t* scratch);

// Colour rows to R, G, B triplets: eight bits, or (Decode16) the top of 16.
const uint8_t* DecodeRgb8(const SampleFormat& f, const uint8_t* src, uint32_t width,
                          uint8_t* scratch);
void DecodeRgb16(const SampleFormat& f, const uint8_t* src, uint32_t width, uint16_t* out);

// YUV rows to R, G, B triplets or to their luma.
void DecodeYuvRgb8(const SampleFormat& f, const uint8_t* src, uint32_t width, uint8_t* out);
void DecodeYuvLuma8(const SampleFormat& f, const uint8_t* src, uint32_t width, uint8_t* out);

// Writers into a destination of one of the 8-bit colour layouts or Mono8.
void WriteGrayTo8(KvPixelLayout dst, const uint8_t* gray, uint32_t width, uint8_t* out);
void WriteRgbTo8(KvPixelLayout dst, const uint8_t* rgb, uint32_t width, uint8_t* out);
// Writers into 16-bit destinations, from samples at `depth` bits: `top`
// moves them into the top bits, otherwise they stay in the low bits.
void WriteGrayTo16(KvPixelLayout dst, const uint16_t* gray, uint32_t width, uint32_t depth,
                   bool top, uint8_t* out);
void WriteRgbTo16(const uint16_t* rgb, uint32_t width, uint32_t depth, uint8_t* out);

// BT.601 luma of 8-bit R, G, B, rounded to nearest.
inline uint8_t Luma(uint32_t r, uint32_t g, uint32_t b) {
    return uint8_t((4899 * r + 9617 * g + 1868 * b + 8192) >> 14);
}

}  // namespace KvImgDetail
