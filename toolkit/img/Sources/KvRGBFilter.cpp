#include "KvRGBFilter.h"

#include <algorithm>
#include <cmath>

#include "KvPixelType.h"
#include "RowFilter.h"
#include "SampleRows.h"

KvRGBFilter::KvRGBFilter(uint32_t offsetBits) : m_nOffsetBits(std::clamp(offsetBits, 1u, 32u)) {}

KvResult KvRGBFilter::SetGain(Channel channel, double gain) {
    if (!(gain >= MIN_GAIN && gain <= MAX_GAIN)) {
        return KvCode::INVALID_ARGUMENT;
    }
    m_dGain[channel] = gain;
    return KvCode::OK;
}

KvResult KvRGBFilter::SetGains(double red, double green, double blue) {
    for (double g : {red, green, blue}) {
        if (!(g >= MIN_GAIN && g <= MAX_GAIN)) {
            return KvCode::INVALID_ARGUMENT;
        }
    }
    m_dGain = {red, green, blue};
    return KvCode::OK;
}

void KvRGBFilter::SetOffsets(uint32_t red, uint32_t green, uint32_t blue) {
    m_nOffset = {red, green, blue};
}

void KvRGBFilter::Reset() {
    m_dGain = {1.0, 1.0, 1.0};
    m_nOffset = {0, 0, 0};
}

bool KvRGBFilter::IsIdentity() const {
    return std::all_of(m_dGain.begin(), m_dGain.end(), [](double g) { return g == 1.0; }) &&
           std::all_of(m_nOffset.begin(), m_nOffset.end(), [](uint32_t o) { return o == 0; });
}

uint64_t KvRGBFilter::GetFixedGain(Channel channel) const {
    // 16.16 fixed point keeps every result reproducible across machines.
    return uint64_t(std::llround(m_dGain[channel] * 65536.0));
}

uint64_t KvRGBFilter::GetScaledOffset(Channel channel, uint32_t bits) const {
    const uint64_t offset = m_nOffset[channel];
    return bits >= m_nOffsetBits ? offset << (bits - m_nOffsetBits)
                                 : offset >> (m_nOffsetBits - bits);
}

uint32_t KvRGBFilter::Apply(Channel channel, uint32_t sample, uint32_t bits) const {
    const uint64_t maximum = (uint64_t(1) << bits) - 1;
    const uint64_t value =
        ((uint64_t(sample) * GetFixedGain(channel) + 32768) >> 16) + GetScaledOffset(channel, bits);
    return uint32_t(std::min(value, maximum));
}

std::array<uint8_t, 256> KvRGBFilter::MakeTable8(Channel channel) const {
    std::array<uint8_t, 256> table{};
    for (uint32_t v = 0; v < 256; ++v) {
        table[v] = uint8_t(Apply(channel, v, 8));
    }
    return table;
}

KvResult KvRGBFilter::ApplyTo(void* buffer, size_t size, uint32_t width, uint32_t height,
                              uint64_t pixelType, size_t stride) const {
    const KvPixelType type = KvPixelType::FromID(pixelType);
    if (!KvImgDetail::RowFilter::Supports(type.GetLayout()) || type.IsInterlaced()) {
        return KvCode::NOT_SUPPORTED;
    }
    const size_t row = type.GetRowSizeFor(width);
    if (width == 0 || height == 0 || (stride != 0 && stride < row)) {
        return KvCode::INVALID_ARGUMENT;
    }
    stride = stride ? stride : row;
    if (height - 1 > (size - std::min(size, row)) / stride || size < row) {
        return KvCode::BUFFER_TOO_SMALL;
    }
    const KvImgDetail::RowFilter rows(*this, type.GetLayout());
    auto* p = static_cast<uint8_t*>(buffer);
    for (uint32_t y = 0; y < height; ++y) {
        rows.Apply(p + y * stride, width);
    }
    return KvCode::OK;
}

namespace KvImgDetail {

bool RowFilter::Supports(KvPixelLayout layout) {
    switch (layout) {
        case KvPixelLayout::Rgb8:
        case KvPixelLayout::Bgr8:
        case KvPixelLayout::Rgba8:
        case KvPixelLayout::Bgra8:
        case KvPixelLayout::Rgb16:
            return true;
        default:
            return false;
    }
}

RowFilter::RowFilter(const KvRGBFilter& filter, KvPixelLayout layout)
    : m_Layout(layout), m_Table8{} {
    const bool bgr = layout == KvPixelLayout::Bgr8 || layout == KvPixelLayout::Bgra8;
    m_nAt = bgr ? std::array<uint32_t, 3>{2, 1, 0} : std::array<uint32_t, 3>{0, 1, 2};
    m_nStep = (layout == KvPixelLayout::Rgba8 || layout == KvPixelLayout::Bgra8) ? 4 : 3;
    for (int c = 0; c < 3; ++c) {
        m_nGain16[c] = filter.GetFixedGain(KvRGBFilter::Channel(c));
        m_nOffset16[c] = filter.GetScaledOffset(KvRGBFilter::Channel(c), 16);
    }
    if (layout != KvPixelLayout::Rgb16) {
        for (int c = 0; c < 3; ++c) {
            m_Table8[c] = filter.MakeTable8(KvRGBFilter::Channel(c));
        }
    }
}

void RowFilter::Apply(uint8_t* row, uint32_t width) const {
    if (m_Layout == KvPixelLayout::Rgb16) {
        for (size_t x = 0; x < width; ++x) {
            for (uint32_t c = 0; c < 3; ++c) {
                uint8_t* p = row + 6 * size_t(x) + 2 * c;
                const uint64_t v = ((Load16(p) * m_nGain16[c] + 32768) >> 16) + m_nOffset16[c];
                Store16(p, uint16_t(std::min<uint64_t>(v, 0xFFFF)));
            }
        }
        return;
    }
    const uint8_t* r = m_Table8[0].data();
    const uint8_t* g = m_Table8[1].data();
    const uint8_t* b = m_Table8[2].data();
    uint8_t* p = row;
    for (size_t x = 0; x < width; ++x, p += m_nStep) {
        p[m_nAt[0]] = r[p[m_nAt[0]]];
        p[m_nAt[1]] = g[p[m_nAt[1]]];
        p[m_nAt[2]] = b[p[m_nAt[2]]];
    }
}

}  // namespace KvImgDetail
