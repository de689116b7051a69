#pragma once
// A converter from one pixel type to another, made by KvPixelTypeFactory.
// One object serves any number of frames; a frame is converted row by row
// with the layout chosen once, so no per-pixel dispatch happens.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "KvErrorInterface.h"
#include "KvPixelType.h"
#include "KvResultCodes.h"

class KvRGBFilter;

namespace KvImgDetail {
struct ConversionPlan;
}

class KvPixelConverter : public KvErrorInterface {
public:
    ~KvPixelConverter() override;
    KvPixelConverter(const KvPixelConverter&) = delete;
    KvPixelConverter& operator=(const KvPixelConverter&) = delete;

    const KvPixelType& GetSourceType() const { return m_Source; }
    const KvPixelType& GetDestinationType() const { return m_Destination; }

    // Converts one frame of width x height pixels. Strides are the bytes from
    // one row start to the next, 0 meaning rows without padding. The filter
    // (may be null) applies to colour destinations; grey ones ignore it.
    // Results: 0; 18 for a zero size, a stride shorter than a row, a Bayer
    // interpolation without exactly one pattern flag or on fewer than 2 x 2
    // pixels; 4 when a buffer is smaller than the frame. Nothing is written
    // unless every check passed.
    KvResult Convert(const void* source, size_t sourceSize, void* destination,
                     size_t destinationSize, uint32_t width, uint32_t height, uint32_t flags = 0,
                     const KvRGBFilter* filter = nullptr, size_t sourceStride = 0,
                     size_t destinationStride = 0);

private:
    friend class KvPixelTypeFactory;
    KvPixelConverter(const KvPixelType& source, const KvPixelType& destination,
                     const KvImgDetail::ConversionPlan& plan);

    KvPixelType m_Source;
    KvPixelType m_Destination;
    std::unique_ptr<KvImgDetail::ConversionPlan> m_pPlan;
};
