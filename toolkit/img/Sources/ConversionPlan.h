#pragma once
// What a converter does, decided once when it is made: which row kernels
// read the source and which write the destination.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "KvPixelType.h"
#include "KvRGBFilter.h"
#include "KvResultCodes.h"
#include "SampleRows.h"

namespace KvImgDetail {

struct FrameJob {
    const uint8_t* source;
    size_t sourceStride;
    size_t sourceRowSize;
    uint8_t* destination;
    size_t destinationStride;
    uint32_t width;
    uint32_t height;
    uint32_t flags;
    const KvRGBFilter* filter;  // null or not the identity
};

struct ConversionPlan {
    enum class Kind { Copy, Gray, Bayer, Rgb, Yuv };
    Kind kind;
    SampleFormat source;
    bool interlaced;  // the source's rows come field by field
    KvPixelLayout destination;
    bool wide;  // 16-bit destination words
    bool top;   // 16-bit destination samples in the top bits
};

// The plan between two valid types, or none when the pair has no converter.
std::optional<ConversionPlan> MakePlan(const KvPixelType& source, const KvPixelType& destination);

// Does the conversion; every size and flag was checked by the caller.
void RunPlan(const ConversionPlan& plan, const FrameJob& job);

// Whether the plan interpolates a mosaic with these flags.
bool Interpolates(const ConversionPlan& plan, uint32_t flags);

}  // namespace KvImgDetail
