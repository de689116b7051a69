#include "SampleRows.h"

#include <algorithm>

namespace KvImgDetail {
namespace {

using L = KvPixelLayout;

uint16_t Mask(uint32_t depth) {
    return uint16_t((1u << depth) - 1);
}

// One sample of the camera link's bit stream, for the tail of a row.
uint16_t BitStreamSample(const uint8_t* src, uint32_t index, uint32_t depth) {
    const size_t bit = size_t(index) * depth;
    const size_t first = bit / 8;
    const size_t last = (bit + depth - 1) / 8;
    uint32_t word = 0;
    for (size_t b = first; b <= last; ++b) {
        word |= uint32_t(src[b]) << (8 * (b - first));
    }
    return uint16_t((word >> (bit % 8)) & Mask(depth));
}

void DecodeBitStream16(const uint8_t* s, uint32_t width, uint32_t depth, uint16_t* out) {
    uint32_t x = 0;
    if (depth == 10) {
        for (; x + 4 <= width; x += 4, s += 5) {
            out[x] = uint16_t(s[0] | (s[1] & 0x03) << 8);
            out[x + 1] = uint16_t(s[1] >> 2 | (s[2] & 0x0F) << 6);
            out[x + 2] = uint16_t(s[2] >> 4 | (s[3] & 0x3F) << 4);
            out[x + 3] = uint16_t(s[3] >> 6 | s[4] << 2);
        }
        s -= size_t(x) * 10 / 8;
    } else if (depth == 12) {
        for (; x + 2 <= width; x += 2, s += 3) {
            out[x] = uint16_t(s[0] | (s[1] & 0x0F) << 8);
            out[x + 1] = uint16_t(s[1] >> 4 | s[2] << 4);
        }
        s -= size_t(x) * 12 / 8;
    }
    for (; x < width; ++x) {
        out[x] = BitStreamSample(s, x, depth);
    }
}

void DecodePair16(const uint8_t* s, uint32_t width, bool twelve, uint16_t* out) {
    uint32_t x = 0;
    if (twelve) {
        for (; x + 2 <= width; x += 2, s += 3) {
            out[x] = uint16_t(s[0] << 4 | (s[1] & 0x0F));
            out[x + 1] = uint16_t(s[2] << 4 | s[1] >> 4);
        }
        if (x < width) {
            out[x] = uint16_t(s[0] << 4 | (s[1] & 0x0F));
        }
    } else {
        for (; x + 2 <= width; x += 2, s += 3) {
            out[x] = uint16_t(s[0] << 2 | (s[1] & 0x03));
            out[x + 1] = uint16_t(s[2] << 2 | (s[1] >> 4 & 0x03));
        }
        if (x < width) {
            out[x] = uint16_t(s[0] << 2 | (s[1] & 0x03));
        }
    }
}

uint8_t Clamp8(int v) {
    return uint8_t(std::clamp(v, 0, 255));
}

// Full-range BT.601 in 14-bit fixed point, rounded to nearest.
inline void YuvToRgb(int y, int u, int v, uint8_t* rgb) {
    const int d = u - 128;
    const int e = v - 128;
    rgb[0] = Clamp8(y + ((22970 * e + 8192) >> 14));
    rgb[1] = Clamp8(y + ((-5638 * d - 11700 * e + 8192) >> 14));
    rgb[2] = Clamp8(y + ((29032 * d + 8192) >> 14));
}

// The top eight bits of a 16-bit YUV word.
inline uint8_t Yuv16To8(const SampleFormat& f, const uint8_t* p) {
    const uint16_t v = Load16(p);
    return f.normalized ? uint8_t(v >> 8) : uint8_t((v & Mask(f.depth)) >> (f.depth - 8));
}

}  // namespace

void DecodeMono16(const SampleFormat& f, const uint8_t* src, uint32_t width, uint16_t* out) {
    switch (f.layout) {
        case L::Mono8:
            std::copy(src, src + width, out);
            break;
        case L::Mono16:
            if (f.normalized) {
                const uint32_t shift = 16 - f.depth;
                for (size_t x = 0; x < width; ++x) {
                    out[x] = uint16_t(Load16(src + 2 * x) >> shift);
                }
            } else {
                const uint16_t mask = Mask(f.depth);
                for (size_t x = 0; x < width; ++x) {
                    out[x] = Load16(src + 2 * x) & mask;
                }
            }
            break;
        case L::MonoBitStream:
            DecodeBitStream16(src, width, f.depth, out);
            break;
        case L::MonoPair10:
        case L::MonoPair12:
            DecodePair16(src, width, f.layout == L::MonoPair12, out);
            break;
        default:
            break;
    }
}

const uint8_t* DecodeMono8(const SampleFormat& f, const uint8_t* src, uint32_t width,
                           uint8_t* scratch) {
    switch (f.layout) {
        case L::Mono8:
            return src;
        case L::Mono16:
            if (f.normalized) {
                for (size_t x = 0; x < width; ++x) {
                    scratch[x] = uint8_t(Load16(src + 2 * x) >> 8);
                }
            } else {
                const uint16_t mask = Mask(f.depth);
                const uint32_t shift = f.depth - 8;
                for (size_t x = 0; x < width; ++x) {
                    scratch[x] = uint8_t((Load16(src + 2 * x) & mask) >> shift);
                }
            }
            return scratch;
        case L::MonoPair10:
        case L::MonoPair12: {
            // The first and third byte of a pair are the pixels' top eight bits.
            uint32_t x = 0;
            for (; x + 2 <= width; x += 2, src += 3) {
                scratch[x] = src[0];
                scratch[x + 1] = src[2];
            }
            if (x < width) {
                scratch[x] = src[0];
            }
            return scratch;
        }
        case L::MonoBitStream: {
            // In chunks whose length keeps every chunk on a byte boundary.
            constexpr uint32_t kChunk = 256;
            uint16_t samples[kChunk];
            const uint32_t shift = f.depth - 8;
            for (uint32_t x0 = 0; x0 < width; x0 += kChunk) {
                const uint32_t n = std::min(kChunk, width - x0);
                DecodeBitStream16(src + size_t(x0) * f.depth / 8, n, f.depth, samples);
                for (uint32_t i = 0; i < n; ++i) {
                    scratch[x0 + i] = uint8_t(samples[i] >> shift);
                }
            }
            return scratch;
        }
        default:
            return scratch;
    }
}

const uint8_t* DecodeRgb8(const SampleFormat& f, const uint8_t* src, uint32_t width,
                          uint8_t* scratch) {
    uint8_t* o = scratch;
    switch (f.layout) {
        case L::Rgb8:
            return src;
        case L::Bgr8:
            for (size_t x = 0; x < width; ++x, src += 3, o += 3) {
                o[0] = src[2];
                o[1] = src[1];
                o[2] = src[0];
            }
            break;
        case L::Rgba8:
            for (size_t x = 0; x < width; ++x, src += 4, o += 3) {
                o[0] = src[0];
                o[1] = src[1];
                o[2] = src[2];
            }
            break;
        case L::Bgra8:
            for (size_t x = 0; x < width; ++x, src += 4, o += 3) {
                o[0] = src[2];
                o[1] = src[1];
                o[2] = src[0];
            }
            break;
        case L::Rgb16:
            if (f.normalized) {
                for (size_t i = 0; i < size_t(3) * width; ++i) {
                    o[i] = uint8_t(Load16(src + 2 * i) >> 8);
                }
            } else {
                const uint16_t mask = Mask(f.depth);
                const uint32_t shift = f.depth - 8;
                for (size_t i = 0; i < size_t(3) * width; ++i) {
                    o[i] = uint8_t((Load16(src + 2 * i) & mask) >> shift);
                }
            }
            break;
        default:
            break;
    }
    return scratch;
}

void DecodeRgb16(const SampleFormat& f, const uint8_t* src, uint32_t width, uint16_t* out) {
    if (f.normalized) {
        const uint32_t shift = 16 - f.depth;
        for (size_t i = 0; i < size_t(3) * width; ++i) {
            out[i] = uint16_t(Load16(src + 2 * i) >> shift);
        }
    } else {
        const uint16_t mask = Mask(f.depth);
        for (size_t i = 0; i < size_t(3) * width; ++i) {
            out[i] = Load16(src + 2 * i) & mask;
        }
    }
}

void DecodeYuvRgb8(const SampleFormat& f, const uint8_t* s, uint32_t width, uint8_t* out) {
    uint32_t x = 0;
    switch (f.layout) {
        case L::Yuv422:
            for (; x + 2 <= width; x += 2, s += 4, out += 6) {
                YuvToRgb(s[1], s[0], s[2], out);
                YuvToRgb(s[3], s[0], s[2], out + 3);
            }
            if (x < width) {
                YuvToRgb(s[1], s[0], s[2], out);
            }
            break;
        case L::Yuv422x16:
            for (; x < width; ++x, out += 3) {
                const uint8_t* pair = s + size_t(x / 2) * 8;
                YuvToRgb(Yuv16To8(f, pair + 2 + 4 * (x & 1)), Yuv16To8(f, pair),
                         Yuv16To8(f, pair + 4), out);
            }
            break;
        case L::Yuv444:
            for (; x < width; ++x, s += 3, out += 3) {
                YuvToRgb(s[1], s[0], s[2], out);
            }
            break;
        case L::Yuv411: {
            static constexpr uint8_t kLumaAt[4] = {1, 2, 4, 5};
            for (; x < width; ++x, out += 3) {
                const uint8_t* group = s + size_t(x / 4) * 6;
                YuvToRgb(group[kLumaAt[x & 3]], group[0], group[3], out);
            }
            break;
        }
        default:
            break;
    }
}

void DecodeYuvLuma8(const SampleFormat& f, const uint8_t* s, uint32_t width, uint8_t* out) {
    switch (f.layout) {
        case L::Yuv422:
            for (size_t x = 0; x < width; ++x) {
                out[x] = s[2 * x + 1];
            }
            break;
        case L::Yuv422x16:
            for (size_t x = 0; x < width; ++x) {
                out[x] = Yuv16To8(f, s + 4 * size_t(x) + 2);
            }
            break;
        case L::Yuv444:
            for (size_t x = 0; x < width; ++x) {
                out[x] = s[3 * x + 1];
            }
            break;
        case L::Yuv411: {
            static constexpr uint8_t kLumaAt[4] = {1, 2, 4, 5};
            for (size_t x = 0; x < width; ++x) {
                out[x] = s[size_t(x / 4) * 6 + kLumaAt[x & 3]];
            }
            break;
        }
        default:
            break;
    }
}

void WriteGrayTo8(KvPixelLayout dst, const uint8_t* gray, uint32_t width, uint8_t* out) {
    switch (dst) {
        case L::Mono8:
            std::memcpy(out, gray, width);
            break;
        case L::Rgb8:
        case L::Bgr8:
            for (size_t x = 0; x < width; ++x, out += 3) {
                out[0] = out[1] = out[2] = gray[x];
            }
            break;
        case L::Rgba8:
        case L::Bgra8:
            for (size_t x = 0; x < width; ++x, out += 4) {
                out[0] = out[1] = out[2] = gray[x];
                out[3] = 255;
            }
            break;
        default:
            break;
    }
}

void WriteRgbTo8(KvPixelLayout dst, const uint8_t* rgb, uint32_t width, uint8_t* out) {
    switch (dst) {
        case L::Mono8:
            for (size_t x = 0; x < width; ++x, rgb += 3) {
                out[x] = Luma(rgb[0], rgb[1], rgb[2]);
            }
            break;
        case L::Rgb8:
            std::memcpy(out, rgb, size_t(width) * 3);
            break;
        case L::Bgr8:
            for (size_t x = 0; x < width; ++x, rgb += 3, out += 3) {
                out[0] = rgb[2];
                out[1] = rgb[1];
                out[2] = rgb[0];
            }
            break;
        case L::Rgba8:
            for (size_t x = 0; x < width; ++x, rgb += 3, out += 4) {
                out[0] = rgb[0];
                out[1] = rgb[1];
                out[2] = rgb[2];
                out[3] = 255;
            }
            break;
        case L::Bgra8:
            for (size_t x = 0; x < width; ++x, rgb += 3, out += 4) {
                out[0] = rgb[2];
                out[1] = rgb[1];
                out[2] = rgb[0];
                out[3] = 255;
            }
            break;
        default:
            break;
    }
}

void WriteGrayTo16(KvPixelLayout dst, const uint16_t* gray, uint32_t width, uint32_t depth,
                   bool top, uint8_t* out) {
    const uint32_t shift = top ? 16 - depth : 0;
    if (dst == L::Rgb16) {
        for (size_t x = 0; x < width; ++x, out += 6) {
            const uint16_t v = uint16_t(gray[x] << shift);
            Store16(out, v);
            Store16(out + 2, v);
            Store16(out + 4, v);
        }
    } else {
        for (size_t x = 0; x < width; ++x) {
            Store16(out + 2 * x, uint16_t(gray[x] << shift));
        }
    }
}

void WriteRgbTo16(const uint16_t* rgb, uint32_t width, uint32_t depth, uint8_t* out) {
    const uint32_t shift = 16 - depth;
    for (size_t i = 0; i < size_t(3) * width; ++i) {
        Store16(out + 2 * i, uint16_t(rgb[i] << shift));
    }
}

}  // namespace KvImgDetail
