#include "KvPixelConverter.h"

#include <bit>

#include "ConversionPlan.h"
#include "KvConversionFlags.h"
#include "KvRGBFilter.h"
#include "KvString.h"

namespace {

// Whether a frame of `rows` rows of `rowSize` bytes, `stride` apart, fits in
// `size` bytes; computed without overflow.
bool FrameFits(size_t size, size_t rowSize, size_t stride, uint32_t rows) {
    if (size < rowSize) {
        return false;
    }
    return size_t(rows - 1) <= (size - rowSize) / stride;
}

}  // namespace

KvPixelConverter::KvPixelConverter(const KvPixelType& source, const KvPixelType& destination,
                                   const KvImgDetail::ConversionPlan& plan)
    : m_Source(source),
      m_Destination(destination),
      m_pPlan(std::make_unique<KvImgDetail::ConversionPlan>(plan)) {}

KvPixelConverter::~KvPixelConverter() = default;

KvResult KvPixelConverter::Convert(const void* source, size_t sourceSize, void* destination,
                                   size_t destinationSize, uint32_t width, uint32_t height,
                                   uint32_t flags, const KvRGBFilter* filter, size_t sourceStride,
                                   size_t destinationStride) {
    if (width == 0 || height == 0 || source == nullptr || destination == nullptr) {
        return KV_ERROR("A frame to convert needs pixels and two buffers",
                        KvCode::INVALID_ARGUMENT);
    }
    const size_t sourceRow = m_Source.GetRowSizeFor(width);
    const size_t destinationRow = m_Destination.GetRowSizeFor(width);
    sourceStride = sourceStride ? sourceStride : sourceRow;
    destinationStride = destinationStride ? destinationStride : destinationRow;
    if (sourceStride < sourceRow || destinationStride < destinationRow) {
        return KV_ERROR(KvString::Format("Row stride %zu or %zu is shorter than a row of %u pixels",
                                         sourceStride, destinationStride, width),
                        KvCode::INVALID_ARGUMENT);
    }
    if (!FrameFits(sourceSize, sourceRow, sourceStride, height)) {
        return KV_ERROR(KvString::Format("Source buffer of %zu bytes is too small for a %ux%u %s "
                                         "frame",
                                         sourceSize, width, height, m_Source.GetName()),
                        KvCode::BUFFER_TOO_SMALL);
    }
    if (!FrameFits(destinationSize, destinationRow, destinationStride, height)) {
        return KV_ERROR(KvString::Format("Destination buffer of %zu bytes is too small for a "
                                         "%ux%u %s frame",
                                         destinationSize, width, height, m_Destination.GetName()),
                        KvCode::BUFFER_TOO_SMALL);
    }
    if (KvImgDetail::Interpolates(*m_pPlan, flags)) {
        const uint32_t pattern = flags & KvConversion::BAYER_MASK;
        if (std::popcount(pattern) != 1) {
            return KV_ERROR(KvString::Format("Bayer interpolation needs exactly one pattern flag, "
                                             "not 0x%x",
                                             pattern),
                            KvCode::INVALID_ARGUMENT);
        }
        if (width < 2 || height < 2) {
            return KV_ERROR("Bayer interpolation needs at least 2 x 2 pixels",
                            KvCode::INVALID_ARGUMENT);
        }
    }
    const KvImgDetail::FrameJob job{static_cast<const uint8_t*>(source),
                                    sourceStride,
                                    sourceRow,
                                    static_cast<uint8_t*>(destination),
                                    destinationStride,
                                    width,
                                    height,
                                    flags,
                                    filter != nullptr && !filter->IsIdentity() ? filter : nullptr};
    KvImgDetail::RunPlan(*m_pPlan, job);
    ClearErrorInfo();
    return KvCode::OK;
}
