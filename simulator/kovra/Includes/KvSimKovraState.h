#pragma once
// The state of the simulated camera, kept in one place so that the console,
// the tests and the video side read the same values.

#include <array>
#include <cstdint>

#include "KvSimKovraModels.h"

enum class KovraHorizontalMode { Normal = 0, Window = 1, Binning = 2, Center = 3 };
enum class KovraVerticalMode { Normal = 0, Window = 1, Binning = 2 };
enum class KovraTriggerSource { Off = 0, External = 1, CC = 2 };
enum class KovraTriggerMode { Standard = 0, Fast = 1, Double = 2, PulseWidth = 3 };
enum class KovraBootSet { Factory = 0, User1 = 1, User2 = 2 };

// One setting set: what "lff"/"lfu" load, "stf"/"stu" store and a boot restores.
struct KovraSettings {
    KovraHorizontalMode m_eHorizontalMode = KovraHorizontalMode::Normal;
    int64_t m_nWindowLeft = 1;  // 1-based first and last column
    int64_t m_nWindowRight = 0;
    KovraVerticalMode m_eVerticalMode = KovraVerticalMode::Normal;
    int64_t m_nWindowTop = 1;  // 1-based first and last line
    int64_t m_nWindowBottom = 0;

    bool m_bShutterOn = false;
    int64_t m_nShutterTime = 0;  // microseconds
    bool m_bLongIntegrationOn = false;
    int64_t m_nLongIntegrationTime = 0;  // milliseconds
    bool m_bStrobeOn = false;
    int64_t m_nStrobePosition = 0;  // microseconds

    int64_t m_nTriggerDuration = 1;  // frames captured after a trigger
    int64_t m_nPreExposureStandard = 10;
    int64_t m_nPreExposureDouble = 10;
    KovraTriggerSource m_eTriggerSource = KovraTriggerSource::Off;
    KovraTriggerMode m_eTriggerMode = KovraTriggerMode::Standard;
    bool m_bTriggerRisingEdge = true;
    bool m_bPulseWidthControl = false;

    int m_nUserLut = 0;  // 0 off, 1 or 2
    bool m_bFlatField = false;
    std::array<int64_t, 2> m_nOffset{16, 16};  // per tap
    std::array<double, 2> m_dGain{6.0, 6.0};   // per tap

    bool m_bDualTap = false;
    int m_nBitDepth = 8;  // 8, 10 or 12
    bool m_bNoiseCorrection = false;
    bool m_bDefectCorrection = false;
    int m_nTestMode = 0;  // 0 off, 1 to 3 test pattern
    bool m_bImageReversal = false;
    bool m_bNegativeImage = false;
    bool m_bAutoIrisOn = false;
    int64_t m_nAutoIrisLevel = 1;

    bool m_bFrameRateControl = false;
    int64_t m_nFrameRate = 30;     // frames per second
    int64_t m_nFrameTime = 33330;  // microseconds

    bool m_bTemperatureAlarm = false;
    int64_t m_nAlarmSet = 80;  // degrees Celsius
    int64_t m_nAlarmClear = 75;
};

// The image the settings give, as the video side sends it.
struct KovraImageGeometry {
    int m_nOffsetX = 0;
    int m_nOffsetY = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nBinningX = 1;
    int m_nBinningY = 1;
};

enum class KovraPhase {
    Running,       // answering the console
    ConfirmReset,  // "rc" asked its question; the next line answers it
    Booting,       // reset in progress: deaf and silent until the boot ends
};

// Everything the camera knows about itself.
struct KovraCameraState {
    KovraSettings m_Working;
    std::array<KovraSettings, 3> m_Sets;  // factory, user set 1, user set 2 (kept in flash)
    KovraBootSet m_eBootSet = KovraBootSet::Factory;  // kept in flash
    bool m_bEcho = true;
    KovraPhase m_ePhase = KovraPhase::Running;
    double m_dTemperature = 0;  // degrees Celsius
    bool m_bWarningActive = false;
};

// The settings a camera of this model leaves the factory with.
KovraSettings KovraFactorySettings(const KovraModelInfo& model);

KovraImageGeometry KovraGeometry(const KovraModelInfo& model, const KovraSettings& settings);

// Frames per second the camera runs at with these settings; 0 while it waits
// for triggers.
double KovraCameraSpeed(const KovraModelInfo& model, const KovraSettings& settings);

// Exposure in microseconds the camera applies with these settings.
int64_t KovraCameraExposure(const KovraModelInfo& model, const KovraSettings& settings);
