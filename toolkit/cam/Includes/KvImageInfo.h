#pragma once
// What a receiver reports about one image, beside its pixels.

#include <cstdint>

// The plain record a receiver fills while an image arrives; KvImageInfo wraps
// it so that a grab can hand the receiver a pointer to it.
struct DriverSharedMemory {
    uint32_t m_nImageID = 0;
    uint32_t m_nImageStatus = 0;  // KvImageStatus bits
    uint64_t m_nTimestamp = 0;    // device ticks
    uint64_t m_nImageSize = 0;    // bytes received
    uint64_t m_nPixelType = 0;
    uint32_t m_nWidth = 0;
    uint32_t m_nHeight = 0;
    uint32_t m_nExpectedResendCount = 0;
    uint32_t m_nIgnoredPacketCount = 0;
    uint32_t m_nLostPacketCount = 0;
    uint32_t m_nResendRequestCount = 0;
    uint32_t m_nStartPacketCount = 0;
    uint32_t m_nUnexpectedResendCount = 0;
};

namespace KvImageStatus {
inline constexpr uint32_t FRAME_OVERRUN = 0x1;
inline constexpr uint32_t GRABBER_FIFO_OVERRUN = 0x2;
inline constexpr uint32_t IMAGE_DROPPED = 0x4;
inline constexpr uint32_t PARTIAL_LINE_MISSING = 0x8;
inline constexpr uint32_t FULL_LINE_MISSING = 0x10;
}  // namespace KvImageStatus

class KvImageInfo {
public:
    void Reset() { m_Shared = DriverSharedMemory{}; }

    uint32_t GetImageID() const { return m_Shared.m_nImageID; }
    uint32_t GetImageStatus() const { return m_Shared.m_nImageStatus; }
    uint64_t GetTimestamp() const { return m_Shared.m_nTimestamp; }
    uint64_t GetImageSize() const { return m_Shared.m_nImageSize; }
    uint64_t GetPixelType() const { return m_Shared.m_nPixelType; }
    uint32_t GetWidth() const { return m_Shared.m_nWidth; }
    uint32_t GetHeight() const { return m_Shared.m_nHeight; }
    uint32_t GetExpectedResendCount() const { return m_Shared.m_nExpectedResendCount; }
    uint32_t GetIgnoredPacketCount() const { return m_Shared.m_nIgnoredPacketCount; }
    uint32_t GetLostPacketCount() const { return m_Shared.m_nLostPacketCount; }
    uint32_t GetResendRequestCount() const { return m_Shared.m_nResendRequestCount; }
    uint32_t GetStartPacketCount() const { return m_Shared.m_nStartPacketCount; }
    uint32_t GetUnexpectedResendCount() const { return m_Shared.m_nUnexpectedResendCount; }

    void SetImageID(uint32_t id) { m_Shared.m_nImageID = id; }
    void SetTimestamp(uint64_t timestamp) { m_Shared.m_nTimestamp = timestamp; }

    // The record a receiver writes into.
    DriverSharedMemory* GetSharedMemory() { return &m_Shared; }
    const DriverSharedMemory* GetSharedMemory() const { return &m_Shared; }
    operator DriverSharedMemory*() { return &m_Shared; }

private:
    DriverSharedMemory m_Shared;
};
