#pragma once
// The buffer queue of a channel, sized by an image format, and the saving of
// single frames as raw bytes or bitmap files.

#include <cstddef>
#include <cstdint>
#include <string>

#include "KvBufferQueue.h"

class KvRGBFilter;

class KvImageBuffer : public KvBufferQueue {
public:
    // A pixel type the toolkit does not know leaves the queue without a
    // buffer size (grabs fail until SetCapacity succeeds).
    KvImageBuffer(uint32_t width, uint32_t height, uint64_t pixelType,
                  uint32_t queueSize = MIN_QUEUE_SIZE, Mode mode = DROP_OLDEST);

    // Sizes every buffer for frames of this format. 18 for a zero size or an
    // unknown pixel type, 28 while buffers are in use; the old format stays
    // then.
    KvResult SetCapacity(uint32_t width, uint32_t height, uint64_t pixelType);
    uint32_t GetWidth() const;
    uint32_t GetHeight() const;
    uint64_t GetPixelType() const;

    // Writes the bytes as they are. 18 for null data, 16 when the file cannot
    // be created, 8 when writing fails.
    static KvResult SaveRaw(const std::string& path, const void* data, size_t size);

    // Writes one frame as an uncompressed bottom-up bitmap: grayscale types
    // as 8 bits with a grey palette, colour types with an alpha or fourth byte
    // as 32 bits, other colour types (Bayer and YUV included) as 24 bits,
    // converted with the flags and the filter (may be null). 18 for a zero
    // size or an unknown pixel type, 26 when the type has no conversion to a
    // bitmap, 4 when the data is shorter than the frame, 16 or 8 as SaveRaw.
    static KvResult SaveBitmap(const std::string& path, const void* data, size_t size,
                               uint32_t width, uint32_t height, uint64_t pixelType,
                               uint32_t conversionFlags = 0, const KvRGBFilter* filter = nullptr);

private:
    mutable std::mutex m_mFormat;
    uint32_t m_nWidth = 0;
    uint32_t m_nHeight = 0;
    uint64_t m_nPixelType = 0;
};
