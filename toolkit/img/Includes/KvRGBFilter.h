#pragma once
// Gain and offset per colour channel, applied to colour frames after
// conversion (white balance) or on their own to a colour buffer.

#include <array>
#include <cstddef>
#include <cstdint>

#include "KvResultCodes.h"

class KvRGBFilter {
public:
    enum Channel { RED = 0, GREEN = 1, BLUE = 2 };

    static constexpr double MIN_GAIN = 0.0001;
    static constexpr double MAX_GAIN = 1000000.0;

    // Offsets are given in samples of offsetBits bits and scaled to the depth
    // of the frame they are applied to (an offset of 256 with 16 bits adds 1
    // to an 8-bit channel).
    explicit KvRGBFilter(uint32_t offsetBits = 8);

    // 18 for a gain outside MIN_GAIN..MAX_GAIN (or not a number); the filter is
    // left unchanged then.
    KvResult SetGain(Channel channel, double gain);
    KvResult SetGains(double red, double green, double blue);
    double GetGain(Channel channel) const { return m_dGain[channel]; }
    void SetOffset(Channel channel, uint32_t offset) { m_nOffset[channel] = offset; }
    void SetOffsets(uint32_t red, uint32_t green, uint32_t blue);
    uint32_t GetOffset(Channel channel) const { return m_nOffset[channel]; }
    uint32_t GetOffsetBits() const { return m_nOffsetBits; }
    void Reset();  // gains 1, offsets 0
    bool IsIdentity() const;

    // One channel's result for a sample of the given depth:
    // min(round(sample * gain) + scaled offset, 2^bits - 1).
    uint32_t Apply(Channel channel, uint32_t sample, uint32_t bits) const;

    // In place on a buffer of a colour type with one sample per channel
    // (RGB 24, BGR 24, RGBA/BGR 32, RGB 48). stride 0 means rows without
    // padding. 26 for any other type, 18 for a bad size or stride, 4 when the
    // buffer is smaller than the frame.
    KvResult ApplyTo(void* buffer, size_t size, uint32_t width, uint32_t height, uint64_t pixelType,
                     size_t stride = 0) const;

    // The gain in 16.16 fixed point and the offset at `bits` bits, as Apply uses them.
    uint64_t GetFixedGain(Channel channel) const;
    uint64_t GetScaledOffset(Channel channel, uint32_t bits) const;

    // Table of every 8-bit result for one channel, for the converters.
    std::array<uint8_t, 256> MakeTable8(Channel channel) const;

private:
    uint32_t m_nOffsetBits;
    std::array<double, 3> m_dGain{1.0, 1.0, 1.0};
    std::array<uint32_t, 3> m_nOffset{0, 0, 0};
};
