#include <cmath>
#include <cstdio>

#include "KovraCommandTable.h"

namespace {

using Ctx = KovraCommandContext;

const KovraSettings& Working(const Ctx& c) {
    return c.m_State.m_Working;
}

std::string OnOff(bool on) {
    return on ? "on" : "off";
}
std::string Number(int64_t value) {
    return std::to_string(value);
}
std::string OffOr(bool on, int64_t value) {
    return on ? Number(value) : "off";
}

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

bool HasFlatField(const KovraModelInfo& m) {
    return m.m_bHasFlatField;
}
bool HasFrameTime(const KovraModelInfo& m) {
    return m.m_bHasFrameTime;
}
bool HasSecondTap(const KovraModelInfo& m) {
    return m.m_nMaxTaps > 1;
}

std::string TriggerText(const KovraSettings& s) {
    if (s.m_eTriggerSource == KovraTriggerSource::Off) {
        return "off";
    }
    static constexpr const char* MODES[] = {"s", "f", "d", "m"};
    return std::string(s.m_eTriggerSource == KovraTriggerSource::External ? "et " : "cc ") +
           MODES[int(s.m_eTriggerMode)];
}

// clang-format off
const KovraSettingLine LINES[] = {
    {"hm", true, nullptr, [](const Ctx& c) {
         static constexpr const char* MODES[] = {"n", "w", "b", "c"};
         return std::string(MODES[int(Working(c).m_eHorizontalMode)]); }},
    {"hw", true, nullptr, [](const Ctx& c) {
         return Number(Working(c).m_nWindowLeft) + " " + Number(Working(c).m_nWindowRight); }},
    {"vm", true, nullptr, [](const Ctx& c) {
         static constexpr const char* MODES[] = {"n", "w", "b"};
         return std::string(MODES[int(Working(c).m_eVerticalMode)]); }},
    {"vw", true, nullptr, [](const Ctx& c) {
         return Number(Working(c).m_nWindowTop) + " " + Number(Working(c).m_nWindowBottom); }},
    {"st", true, nullptr, [](const Ctx& c) {
         return OffOr(Working(c).m_bShutterOn, Working(c).m_nShutterTime); }},
    {"li", true, nullptr, [](const Ctx& c) {
         return OffOr(Working(c).m_bLongIntegrationOn, Working(c).m_nLongIntegrationTime); }},
    {"sp", true, nullptr, [](const Ctx& c) {
         return OffOr(Working(c).m_bStrobeOn, Working(c).m_nStrobePosition); }},
    {"td", true, nullptr, [](const Ctx& c) { return Number(Working(c).m_nTriggerDuration); }},
    {"pe", true, nullptr, [](const Ctx& c) { return Number(Working(c).m_nPreExposureStandard); }},
    {"de", true, nullptr, [](const Ctx& c) { return Number(Working(c).m_nPreExposureDouble); }},
    {"lt", true, nullptr, [](const Ctx& c) {
         return OffOr(Working(c).m_nUserLut != 0, Working(c).m_nUserLut); }},
    {"ao 1", true, nullptr, [](const Ctx& c) { return Number(Working(c).m_nOffset[0]); }},
    {"ao 2", true, HasSecondTap, [](const Ctx& c) { return Number(Working(c).m_nOffset[1]); }},
    {"ag 1", true, nullptr, [](const Ctx& c) { return Fixed(Working(c).m_dGain[0], 2); }},
    {"ag 2", true, HasSecondTap, [](const Ctx& c) { return Fixed(Working(c).m_dGain[1], 2); }},
    {"dm", true, nullptr, [](const Ctx& c) { return OnOff(Working(c).m_bDualTap); }},
    {"bd", true, nullptr, [](const Ctx& c) { return Number(Working(c).m_nBitDepth); }},
    {"nc", true, nullptr, [](const Ctx& c) { return OnOff(Working(c).m_bNoiseCorrection); }},
    {"dc", true, nullptr, [](const Ctx& c) { return OnOff(Working(c).m_bDefectCorrection); }},
    {"tm", true, nullptr, [](const Ctx& c) {
         return OffOr(Working(c).m_nTestMode != 0, Working(c).m_nTestMode); }},
    {"ir", true, nullptr, [](const Ctx& c) { return OnOff(Working(c).m_bImageReversal); }},
    {"tr", true, nullptr, [](const Ctx& c) { return TriggerText(Working(c)); }},
    {"ci", true, nullptr, [](const Ctx& c) { return OnOff(Working(c).m_bPulseWidthControl); }},
    {"ni", true, nullptr, [](const Ctx& c) { return OnOff(Working(c).m_bNegativeImage); }},
    {"ai", true, nullptr, [](const Ctx& c) {
         return OffOr(Working(c).m_bAutoIrisOn, Working(c).m_nAutoIrisLevel); }},
    {"fr", true, nullptr, [](const Ctx& c) {
         return OffOr(Working(c).m_bFrameRateControl, Working(c).m_nFrameRate); }},
    {"ft", true, HasFrameTime, [](const Ctx& c) {
         return OffOr(Working(c).m_bFrameRateControl, Working(c).m_nFrameTime); }},
    {"bf", true, nullptr, [](const Ctx& c) {
         static constexpr const char* SETS[] = {"f", "u1", "u2"};
         return std::string(SETS[int(c.m_State.m_eBootSet)]); }},
    {"ta", true, nullptr, [](const Ctx& c) { return OnOff(Working(c).m_bTemperatureAlarm); }},
    // No space after the first "C": the clear threshold is read right after it.
    {"tt", true, nullptr, [](const Ctx& c) {
         return Number(Working(c).m_nAlarmSet) + "C" + Number(Working(c).m_nAlarmClear) + "C"; }},
    {"ct", true, nullptr, [](const Ctx& c) { return Fixed(c.m_State.m_dTemperature, 1) + " C"; }},
    {"cs", true, nullptr, [](const Ctx& c) {
         return Fixed(KovraCameraSpeed(c.m_Model, Working(c)), 2); }},
    {"ce", true, nullptr, [](const Ctx& c) {
         return Number(KovraCameraExposure(c.m_Model, Working(c))); }},
    {"fc", true, HasFlatField, [](const Ctx& c) { return OnOff(Working(c).m_bFlatField); }},
    // Not part of the working settings, but queried alone.
    {"tr_e", false, nullptr, [](const Ctx& c) {
         return std::string(Working(c).m_bTriggerRisingEdge ? "rising" : "falling"); }},
    {"em", false, nullptr, [](const Ctx& c) { return OnOff(c.m_State.m_bEcho); }},
};
// clang-format on

}  // namespace

std::span<const KovraSettingLine> KovraSettingLines() {
    return LINES;
}

const KovraSettingLine* FindKovraSettingLine(std::string_view key) {
    for (const KovraSettingLine& line : LINES) {
        if (line.m_sKey == key) {
            return &line;
        }
    }
    return nullptr;
}

std::vector<std::string> KovraWorkingSettingLines(const KovraCommandContext& c) {
    std::vector<std::string> lines;
    for (const KovraSettingLine& line : LINES) {
        if (line.m_bInWorkingSettings && KovraSupports(line.m_fnSupported, c.m_Model)) {
            lines.push_back(std::string(line.m_sKey) + " " + line.m_fnValue(c));
        }
    }
    return lines;
}
