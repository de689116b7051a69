#pragma once
// A KvRGBFilter prepared for rows of one colour layout: tables for 8-bit
// channels, fixed-point factors for 16-bit ones.

#include <array>
#include <cstdint>

#include "KvPixelType.h"
#include "KvRGBFilter.h"

namespace KvImgDetail {

class RowFilter {
public:
    RowFilter(const KvRGBFilter& filter, KvPixelLayout layout);
    void Apply(uint8_t* row, uint32_t width) const;

    static bool Supports(KvPixelLayout layout);

private:
    KvPixelLayout m_Layout;
    uint32_t m_nStep;
    std::array<uint32_t, 3> m_nAt;  // byte of red, green, blue in a pixel
    std::array<std::array<uint8_t, 256>, 3> m_Table8;
    std::array<uint64_t, 3> m_nGain16;
    std::array<uint64_t, 3> m_nOffset16;
};

}  // namespace KvImgDetail
