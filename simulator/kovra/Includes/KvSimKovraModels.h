#pragma once
// The ten models of the Kovra family as the simulated camera plays them: sensor
// geometry, tap count, the ranges its console accepts and the features it has.

#include <span>
#include <string>
#include <string_view>

struct KovraRange {
    double m_dMin = 0;
    double m_dMax = 0;

    bool Contains(double value) const { return value >= m_dMin && value <= m_dMax; }
};

struct KovraModelInfo {
    std::string_view m_sName;         // "VKR-Q1": the name the host registers the model under
    std::string_view m_sDesignation;  // "Q1": what the host looks for in the camera's name
    int m_nWidth = 0;                 // sensor size in pixels
    int m_nHeight = 0;
    int m_nMaxTaps = 1;                    // 2 for the models that can read out in two taps
    KovraRange m_ShutterTime;              // microseconds; also the strobe position range
    KovraRange m_LongIntegrationTime;      // milliseconds
    KovraRange m_PreExposureStandard;      // first-frame exposure, standard trigger mode
    KovraRange m_PreExposureDouble;        // first-frame exposure, double trigger mode
    KovraRange m_Gain;                     // analog gain of each tap
    bool m_bIsSonySensor = false;          // sensor family; decides the Bayer phase of the host
    bool m_bHasFlatField = false;          // flat-field correction ("sfc") exists
    bool m_bLutExcludesFlatField = false;  // loading a user table and flat field exclude each other
    bool m_bHasFrameTime = false;          // programmable frame time ("sft") exists
    double m_dFullFrameRate = 0;           // free-running frames per second at full frame, all taps
};

// The family's ranges that no model narrows.
namespace KovraFamily {
inline constexpr KovraRange TRIGGER_DURATION{1, 255};
inline constexpr KovraRange OFFSET{0, 255};
inline constexpr KovraRange AUTO_IRIS_LEVEL{1, 255};
inline constexpr KovraRange FRAME_RATE{2, 3000};
inline constexpr KovraRange FRAME_TIME{333, 500000};
inline constexpr KovraRange TEMPERATURE_THRESHOLD{-128, 127};
inline constexpr KovraRange TEST_PATTERN{1, 3};
inline constexpr KovraRange USER_LUT{1, 2};
inline constexpr KovraRange USER_SET{1, 2};
inline constexpr int CENTER_WIDTH = 228;  // width of the fixed centred window ("shm c")
}  // namespace KovraFamily

// Every model, in the order the camera module registers them.
std::span<const KovraModelInfo> KovraModels();

// The model whose name matches, ignoring case; nullptr for an unknown name.
const KovraModelInfo* FindKovraModel(std::string_view name);

// The model name the camera answers to "gmn": "VKR-Q1-GE-1M" for a monochrome
// camera, "VKR-Q1-GE-1C" for a colour one. The twelfth character tells colour
// from monochrome; the host's identification keeps the first eleven characters,
// ends the text before the last 'G' or 'V' among them and drops the dashes
// left at its end, which gives back the registered name.
std::string KovraAnsweredName(const KovraModelInfo& model, bool bColor);
