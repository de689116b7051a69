#pragma once
// The camera features of the plain GigE Vision camera: the registers its
// GenICam file describes (Width, Height, offsets, PixelFormat, acquisition,
// exposure, gain). The device checks values the way the file's limits say, so a
// client that ignores the file still cannot put the camera in a bad state.

#include "KvDeviceRegisters.h"
#include "SimRegisterBlock.h"

class SimCameraFeatures : public SimRegisterBlock {
public:
    // Register offsets from KvDeviceReg::FEATURES_BASE.
    enum Offset : uint32_t {
        WIDTH = 0x00,
        HEIGHT = 0x04,
        OFFSET_X = 0x08,
        OFFSET_Y = 0x0C,
        PIXEL_FORMAT = 0x10,
        PAYLOAD_SIZE = 0x14,
        ACQUISITION_MODE = 0x18,
        ACQUISITION_START = 0x1C,
        ACQUISITION_STOP = 0x20,
        ACQUISITION_FRAME_COUNT = 0x24,
        EXPOSURE_TIME = 0x28,  // IEEE float, microseconds
        FRAME_RATE = 0x2C,     // IEEE float, Hz
        GAIN = 0x30,           // IEEE float, dB
        TL_PARAMS_LOCKED = 0x34,
        ACQUISITION_STATUS = 0x38,
        SENSOR_WIDTH = 0x3C,
        SENSOR_HEIGHT = 0x40,
        END = 0x44,
    };
    static constexpr uint32_t SENSOR_WIDTH_PIXELS = 1024;
    static constexpr uint32_t SENSOR_HEIGHT_LINES = 768;

    SimCameraFeatures();

    uint32_t Base() const override { return KvDeviceReg::FEATURES_BASE; }
    uint32_t Size() const override { return KvDeviceReg::FEATURES_SIZE; }
    uint16_t Read(uint32_t offset, std::span<uint8_t> out) override;
    uint16_t Write(uint32_t offset, std::span<const uint8_t> data) override;

    bool IsAcquiring() const { return m_bAcquiring; }

private:
    uint16_t ReadWord(uint32_t offset, uint32_t& value) const;
    uint16_t WriteWord(uint32_t offset, uint32_t value);
    bool FormatLocked() const { return m_nTlParamsLocked != 0 || m_bAcquiring; }

    uint32_t m_nWidth = 640;
    uint32_t m_nHeight = 480;
    uint32_t m_nOffsetX = 0;
    uint32_t m_nOffsetY = 0;
    uint32_t m_nPixelFormat = 0x01080001;  // Mono8
    uint32_t m_nAcquisitionMode = 0;       // Continuous
    uint32_t m_nFrameCount = 1;
    float m_fExposureUs = 10000.0f;
    float m_fFrameRate = 30.0f;
    float m_fGainDb = 0.0f;
    uint32_t m_nTlParamsLocked = 0;
    bool m_bAcquiring = false;
};
