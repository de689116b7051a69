#include "KvImageBuffer.h"

#include "KvPixelTypeFactory.h"

KvImageBuffer::KvImageBuffer(uint32_t width, uint32_t height, uint64_t pixelType,
                             uint32_t queueSize, Mode mode)
    : KvBufferQueue(0, queueSize, mode) {
    SetCapacity(width, height, pixelType);
}

KvResult KvImageBuffer::SetCapacity(uint32_t width, uint32_t height, uint64_t pixelType) {
    if (width == 0 || height == 0) {
        return KV_ERROR("The image size must not be 0", KvCode::INVALID_ARGUMENT);
    }
    const KvPixelType type = KvPixelTypeFactory::GetPixelType(pixelType);
    if (!type.IsValid()) {
        return KV_ERROR("Pixel type does not exist", KvCode::INVALID_ARGUMENT);
    }
    if (const KvResult result = SetBufferSize(type.GetBufferSizeFor(width, height));
        result != KvCode::OK) {
        return result;
    }
    std::lock_guard lock(m_mFormat);
    m_nWidth = width;
    m_nHeight = height;
    m_nPixelType = pixelType;
    return KvCode::OK;
}

uint32_t KvImageBuffer::GetWidth() const {
    std::lock_guard lock(m_mFormat);
    return m_nWidth;
}

uint32_t KvImageBuffer::GetHeight() const {
    std::lock_guard lock(m_mFormat);
    return m_nHeight;
}

uint64_t KvImageBuffer::GetPixelType() const {
    std::lock_guard lock(m_mFormat);
    return m_nPixelType;
}
