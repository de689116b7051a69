#include "SimCameraFeatures.h"

#include <bit>
#include <cmath>

#include "KvByteOrder.h"
#include "KvGvcp.h"

namespace {

constexpr uint32_t PIXEL_FORMATS[] = {0x01080001, 0x01100007, 0x01080009, 0x02180014};

uint32_t BitsPerPixel(uint32_t pixelFormat) {
    return (pixelFormat >> 16) & 0xFF;
}

bool FloatInRange(uint32_t bits, float low, float high, float& out) {
    const float value = std::bit_cast<float>(bits);
    if (!std::isfinite(value) || value < low || value > high) {
        return false;
    }
    out = value;
    return true;
}

}  // namespace

SimCameraFeatures::SimCameraFeatures() = default;

uint16_t SimCameraFeatures::Read(uint32_t offset, std::span<uint8_t> out) {
    for (size_t i = 0; i < out.size(); i += 4) {
        uint32_t value = 0;
        const uint16_t status = ReadWord(offset + static_cast<uint32_t>(i), value);
        if (status != Gvcp::Status::SUCCESS) {
            return status;
        }
        KvBigEndian::Put32(&out[i], value);
    }
    return Gvcp::Status::SUCCESS;
}

uint16_t SimCameraFeatures::Write(uint32_t offset, std::span<const uint8_t> data) {
    for (size_t i = 0; i < data.size(); i += 4) {
        const uint16_t status =
            WriteWord(offset + static_cast<uint32_t>(i), KvBigEndian::Get32(&data[i]));
        if (status != Gvcp::Status::SUCCESS) {
            return status;
        }
    }
    return Gvcp::Status::SUCCESS;
}

uint16_t SimCameraFeatures::ReadWord(uint32_t offset, uint32_t& value) const {
    switch (offset) {
        case WIDTH:
            value = m_nWidth;
            break;
        case HEIGHT:
            value = m_nHeight;
            break;
        case OFFSET_X:
            value = m_nOffsetX;
            break;
        case OFFSET_Y:
            value = m_nOffsetY;
            break;
        case PIXEL_FORMAT:
            value = m_nPixelFormat;
            break;
        case PAYLOAD_SIZE:
            value = m_nWidth * m_nHeight * BitsPerPixel(m_nPixelFormat) / 8;
            break;
        case ACQUISITION_MODE:
            value = m_nAcquisitionMode;
            break;
        case ACQUISITION_START:
        case ACQUISITION_STOP:
            value = 0;
            break;  // commands read back as done
        case ACQUISITION_FRAME_COUNT:
            value = m_nFrameCount;
            break;
        case EXPOSURE_TIME:
            value = std::bit_cast<uint32_t>(m_fExposureUs);
            break;
        case FRAME_RATE:
            value = std::bit_cast<uint32_t>(m_fFrameRate);
            break;
        case GAIN:
            value = std::bit_cast<uint32_t>(m_fGainDb);
            break;
        case TL_PARAMS_LOCKED:
            value = m_nTlParamsLocked;
            break;
        case ACQUISITION_STATUS:
            value = m_bAcquiring ? 1 : 0;
            break;
        case SENSOR_WIDTH:
            value = SENSOR_WIDTH_PIXELS;
            break;
        case SENSOR_HEIGHT:
            value = SENSOR_HEIGHT_LINES;
            break;
        default:
            return Gvcp::Status::INVALID_ADDRESS;
    }
    return Gvcp::Status::SUCCESS;
}

uint16_t SimCameraFeatures::WriteWord(uint32_t offset, uint32_t value) {
    using Gvcp::Status::INVALID_PARAMETER;
    using Gvcp::Status::SUCCESS;
    using Gvcp::Status::WRITE_PROTECT;
    switch (offset) {
        case WIDTH:
            if (FormatLocked())
                return WRITE_PROTECT;
            if (value < 16 || value % 16 || value > SENSOR_WIDTH_PIXELS - m_nOffsetX)
                return INVALID_PARAMETER;
            m_nWidth = value;
            return SUCCESS;
        case HEIGHT:
            if (FormatLocked())
                return WRITE_PROTECT;
            if (value < 8 || value % 2 || value > SENSOR_HEIGHT_LINES - m_nOffsetY)
                return INVALID_PARAMETER;
            m_nHeight = value;
            return SUCCESS;
        case OFFSET_X:
            if (FormatLocked())
                return WRITE_PROTECT;
            if (value % 16 || value > SENSOR_WIDTH_PIXELS - m_nWidth)
                return INVALID_PARAMETER;
            m_nOffsetX = value;
            return SUCCESS;
        case OFFSET_Y:
            if (FormatLocked())
                return WRITE_PROTECT;
            if (value % 2 || value > SENSOR_HEIGHT_LINES - m_nHeight)
                return INVALID_PARAMETER;
            m_nOffsetY = value;
            return SUCCESS;
        case PIXEL_FORMAT:
            if (FormatLocked())
                return WRITE_PROTECT;
            for (uint32_t format : PIXEL_FORMATS) {
                if (format == value) {
                    m_nPixelFormat = value;
                    return SUCCESS;
                }
            }
            return INVALID_PARAMETER;
        case ACQUISITION_MODE:
            if (value > 2)
                return INVALID_PARAMETER;
            m_nAcquisitionMode = value;
            return SUCCESS;
        case ACQUISITION_START:
            if (value == 1)
                m_bAcquiring = true;
            return SUCCESS;
        case ACQUISITION_STOP:
            if (value == 1)
                m_bAcquiring = false;
            return SUCCESS;
        case ACQUISITION_FRAME_COUNT:
            if (value < 1 || value > 65535)
                return INVALID_PARAMETER;
            m_nFrameCount = value;
            return SUCCESS;
        case EXPOSURE_TIME:
            return FloatInRange(value, 10.0f, 1e6f, m_fExposureUs) ? SUCCESS : INVALID_PARAMETER;
        case FRAME_RATE:
            return FloatInRange(value, 1.0f, 120.0f, m_fFrameRate) ? SUCCESS : INVALID_PARAMETER;
        case GAIN:
            return FloatInRange(value, 0.0f, 24.0f, m_fGainDb) ? SUCCESS : INVALID_PARAMETER;
        case TL_PARAMS_LOCKED:
            if (value > 1)
                return INVALID_PARAMETER;
            m_nTlParamsLocked = value;
            return SUCCESS;
        case PAYLOAD_SIZE:
        case ACQUISITION_STATUS:
        case SENSOR_WIDTH:
        case SENSOR_HEIGHT:
            return WRITE_PROTECT;
        default:
            return Gvcp::Status::INVALID_ADDRESS;
    }
}
