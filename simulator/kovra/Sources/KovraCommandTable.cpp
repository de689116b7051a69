#include "KovraCommandTable.h"

#include <algorithm>
#include <cmath>

#include "KovraInfoTexts.h"

namespace {

using Ctx = KovraCommandContext;
using Args = KovraArgs;

KovraReply Ok() {
    return KovraReply{{"OK"}, false};
}

KovraSettings& Working(Ctx& c) {
    return c.m_State.m_Working;
}

// Ranges that depend on the model.
KovraRange LeftRange(const KovraModelInfo& m) {
    return {1, double(m.m_nWidth - 1)};
}
KovraRange RightRange(const KovraModelInfo& m) {
    return {2, double(m.m_nWidth)};
}
KovraRange LineRange(const KovraModelInfo& m) {
    return {1, double(m.m_nHeight)};
}
KovraRange ShutterRange(const KovraModelInfo& m) {
    return m.m_ShutterTime;
}
KovraRange LongIntegrationRange(const KovraModelInfo& m) {
    return m.m_LongIntegrationTime;
}
KovraRange PreStandardRange(const KovraModelInfo& m) {
    return m.m_PreExposureStandard;
}
KovraRange PreDoubleRange(const KovraModelInfo& m) {
    return m.m_PreExposureDouble;
}
KovraRange GainRange(const KovraModelInfo& m) {
    return m.m_Gain;
}
// Tap 0 addresses every tap at once.
KovraRange TapRange(const KovraModelInfo& m) {
    return {0, double(m.m_nMaxTaps)};
}
KovraRange TriggerDurationRange(const KovraModelInfo&) {
    return KovraFamily::TRIGGER_DURATION;
}
KovraRange OffsetRange(const KovraModelInfo&) {
    return KovraFamily::OFFSET;
}
KovraRange IrisRange(const KovraModelInfo&) {
    return KovraFamily::AUTO_IRIS_LEVEL;
}
KovraRange FrameRateRange(const KovraModelInfo&) {
    return KovraFamily::FRAME_RATE;
}
KovraRange FrameTimeRange(const KovraModelInfo&) {
    return KovraFamily::FRAME_TIME;
}
KovraRange ThresholdRange(const KovraModelInfo&) {
    return KovraFamily::TEMPERATURE_THRESHOLD;
}
KovraRange PatternRange(const KovraModelInfo&) {
    return KovraFamily::TEST_PATTERN;
}
KovraRange LutRange(const KovraModelInfo&) {
    return KovraFamily::USER_LUT;
}
KovraRange UserSetRange(const KovraModelInfo&) {
    return KovraFamily::USER_SET;
}

bool HasFlatField(const KovraModelInfo& m) {
    return m.m_bHasFlatField;
}
bool HasFrameTime(const KovraModelInfo& m) {
    return m.m_bHasFrameTime;
}

// Frame time that a frame rate gives, in the 10 us steps of the camera's timer.
int64_t FrameTimeOfRate(int64_t rate) {
    return 100000 / rate * 10;
}

int64_t RateOfFrameTime(int64_t frameTime) {
    const auto rate = static_cast<int64_t>(std::llround(1e6 / double(frameTime)));
    return std::clamp<int64_t>(rate, int64_t(KovraFamily::FRAME_RATE.m_dMin),
                               int64_t(KovraFamily::FRAME_RATE.m_dMax));
}

void SetOffOrValue(const Args& a, bool& on, int64_t& value) {
    on = !a.m_bOff;
    if (on) {
        value = a.m_nValue;
    }
}

// clang-format off
const KovraCommand COMMANDS[] = {
    // Image window.
    {"shm", KovraArgKind::Word, "n w b c", "", nullptr, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         Working(c).m_eHorizontalMode = KovraHorizontalMode(a.m_nChoice);
         return Ok();
     }, 2, 0, "shm n|w|b|c: horizontal mode normal, window, binning, centre"},
    {"shw", KovraArgKind::IntPair, "", "", LeftRange, RightRange, nullptr,
     [](Ctx& c, const Args& a) {
         if (a.m_nValue >= a.m_nValue2) {
             return KovraErrorReply(KovraErrorText::WINDOW);
         }
         Working(c).m_nWindowLeft = a.m_nValue;
         Working(c).m_nWindowRight = a.m_nValue2;
         return Ok();
     }, 2, 0, "shw LEFT RIGHT: first and last column of the window, 1-based"},
    {"svm", KovraArgKind::Word, "n w b", "", nullptr, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         Working(c).m_eVerticalMode = KovraVerticalMode(a.m_nChoice);
         return Ok();
     }, 2, 0, "svm n|w|b: vertical mode normal, window, binning"},
    {"svw", KovraArgKind::IntPair, "", "", LineRange, LineRange, nullptr,
     [](Ctx& c, const Args& a) {
         if (a.m_nValue > a.m_nValue2) {
             return KovraErrorReply(KovraErrorText::WINDOW);
         }
         Working(c).m_nWindowTop = a.m_nValue;
         Working(c).m_nWindowBottom = a.m_nValue2;
         return Ok();
     }, 2, 0, "svw TOP BOTTOM: first and last line of the window, 1-based"},

    // Exposure, strobe and trigger timing.
    {"sst", KovraArgKind::OffOrInt, "", "", ShutterRange, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         SetOffOrValue(a, Working(c).m_bShutterOn, Working(c).m_nShutterTime);
         return Ok();
     }, 2, 0, "sst off|US: electronic shutter off, or on with its time in microseconds"},
    {"sli", KovraArgKind::OffOrInt, "", "", LongIntegrationRange, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         SetOffOrValue(a, Working(c).m_bLongIntegrationOn, Working(c).m_nLongIntegrationTime);
         return Ok();
     }, 2, 0, "sli off|MS: long integration off, or on with its time in milliseconds"},
    {"ssp", KovraArgKind::OffOrInt, "", "", ShutterRange, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         SetOffOrValue(a, Working(c).m_bStrobeOn, Working(c).m_nStrobePosition);
         return Ok();
     }, 2, 0, "ssp off|US: strobe output off, or on at its position in microseconds"},
    {"std", KovraArgKind::Int, "", "", TriggerDurationRange, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         Working(c).m_nTriggerDuration = a.m_nValue;
         return Ok();
     }, 2, 0, "std N: frames captured after a trigger"},
    {"spe", KovraArgKind::Int, "", "", PreStandardRange, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         Working(c).m_nPreExposureStandard = a.m_nValue;
         return Ok();
     }, 2, 0, "spe N: first-frame exposure in standard trigger mode"},
    {"sde", KovraArgKind::Int, "", "", PreDoubleRange, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         Working(c).m_nPreExposureDouble = a.m_nValue;
         return Ok();
     }, 2, 0, "sde N: first-frame exposure in double trigger mode"},
    {"str", KovraArgKind::Trigger, "et cc", "s f d m", nullptr, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         KovraSettings& s = Working(c);
         if (a.m_bOff) {
             s.m_eTriggerSource = KovraTriggerSource::Off;
             s.m_eTriggerMode = KovraTriggerMode::Standard;
             return Ok();
         }
         const auto source = KovraTriggerSource(a.m_nChoice + 1);
         const auto mode = KovraTriggerMode(a.m_nChoice2);
         // The exposure follows the width of an external pulse only; the
         // camera-control line carries no width to follow.
         if (source == KovraTriggerSource::CC && mode == KovraTriggerMode::PulseWidth) {
             return KovraErrorReply(KovraErrorText::INVALID);
         }
         s.m_eTriggerSource = source;
         s.m_eTriggerMode = mode;
         return Ok();
     }, 2, 0, "str off|et s|et f|et d|et m|cc s|cc f|cc d: trigger source and mode"},
    {"str_e", KovraArgKind::Word, "r f", "", nullptr, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         Working(c).m_bTriggerRisingEdge = a.m_nChoice == 0;
         return Ok();
     }, 2, 0, "str_e r|f: external trigger on the rising or the falling edge"},
    {"sci", KovraArgKind::OnOff, "", "", nullptr, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         Working(c).m_bPulseWidthControl = a.m_bOn;
         return Ok();
     }, 2, 0, "sci on|off: exposure controlled by the trigger pulse width"},
    {"sfr", KovraArgKind::OffOrInt, "", "", FrameRateRange, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         KovraSettings& s = Working(c);
         s.m_bFrameRateControl = !a.m_bOff;
         if (!a.m_bOff) {
             s.m_nFrameRate = a.m_nValue;
             s.m_nFrameTime = FrameTimeOfRate(a.m_nValue);
         }
         return Ok();
     }, 2, 0, "sfr off|FPS: programmable frame rate off, or on at FPS frames per second"},
    {"sft", KovraArgKind::Int, "", "", FrameTimeRange, nullptr, HasFrameTime,
     [](Ctx& c, const Args& a) {
         Working(c).m_nFrameTime = a.m_nValue;
         Working(c).m_nFrameRate = RateOfFrameTime(a.m_nValue);
         return Ok();
     }, 2, 0, "sft US: frame period in microseconds"},

    // Video amplifier and pixel format.
    {"sao", KovraArgKind::TapInt, "", "", OffsetRange, TapRange, nullptr,
     [](Ctx& c, const Args& a) {
         for (int tap = 1; tap <= c.m_Model.m_nMaxTaps; ++tap) {
             if (a.m_nTap == 0 || a.m_nTap == tap) {
                 Working(c).m_nOffset[tap - 1] = a.m_nValue;
             }
         }
         return Ok();
     }, 2, 0, "sao TAP N: analog offset of tap 1 or 2 (0: every tap)"},
    {"sag", KovraArgKind::TapReal, "", "", GainRange, TapRange, nullptr,
     [](Ctx& c, const Args& a) {
         // The amplifier is set in steps of 0.01 dB.
         const double gain = std::round(a.m_dValue * 100) / 100;
         for (int tap = 1; tap <= c.m_Model.m_nMaxTaps; ++tap) {
             if (a.m_nTap == 0 || a.m_nTap == tap) {
                 Working(c).m_dGain[tap - 1] = gain;
             }
         }
         return Ok();
     }, 2, 0, "sag TAP DB: analog gain of tap 1 or 2 (0: every tap)"},
    {"sdm", KovraArgKind::OnOff, "", "", nullptr, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         if (a.m_bOn && c.m_Model.m_nMaxTaps < 2) {
             return KovraErrorReply(KovraErrorText::UNSUPPORTED);
         }
         Working(c).m_bDualTap = a.m_bOn;
         return Ok();
     }, 2, 0, "sdm on|off: two-tap readout"},
    {"sbd", KovraArgKind::Word, "8 10 12", "", nullptr, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         Working(c).m_nBitDepth = 8 + 2 * a.m_nChoice;
         return Ok();
     }, 2, 0, "sbd 8|10|12: bits per pixel"},
    {"slt", KovraArgKind::OffOrInt, "", "", LutRange, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         KovraSettings& s = Working(c);
         s.m_nUserLut = a.m_bOff ? 0 : int(a.m_nValue);
         // Loading a table stops the flat-field correction; where the two
         // exclude each other only a table that is on does.
         if (c.m_Model.m_bHasFlatField && (!c.m_Model.m_bLutExcludesFlatField || s.m_nUserLut)) {
             s.m_bFlatField = false;
         }
         return Ok();
     }, 300, 0, "slt off|1|2: user look-up table"},
    {"sfc", KovraArgKind::OnOff, "", "", nullptr, nullptr, HasFlatField,
     [](Ctx& c, const Args& a) {
         KovraSettings& s = Working(c);
         s.m_bFlatField = a.m_bOn;
         if (a.m_bOn && c.m_Model.m_bLutExcludesFlatField) {
             s.m_nUserLut = 0;
         }
         return Ok();
     }, 2, 300, "sfc on|off: flat-field correction"},

    // Image corrections.
    {"snc", KovraArgKind::OnOff, "", "", nullptr, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         Working(c).m_bNoiseCorrection = a.m_bOn;
         return Ok();
     }, 2, 0, "snc on|off: noise correction"},
    {"sdc", KovraArgKind::OnOff, "", "", nullptr, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         Working(c).m_bDefectCorrection = a.m_bOn;
         return Ok();
     }, 2, 0, "sdc on|off: defective pixel correction"},
    {"stm", KovraArgKind::OffOrInt, "", "", PatternRange, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         Working(c).m_nTestMode = a.m_bOff ? 0 : int(a.m_nValue);
         return Ok();
     }, 2, 0, "stm off|1|2|3: test pattern"},
    {"sir", KovraArgKind::OnOff, "", "", nullptr, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         Working(c).m_bImageReversal = a.m_bOn;
         return Ok();
     }, 2, 0, "sir on|off: horizontal image reversal"},
    {"sni", KovraArgKind::OnOff, "", "", nullptr, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         Working(c).m_bNegativeImage = a.m_bOn;
         return Ok();
     }, 2, 0, "sni on|off: negative image"},
    {"sai", KovraArgKind::OffOrInt, "", "", IrisRange, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         SetOffOrValue(a, Working(c).m_bAutoIrisOn, Working(c).m_nAutoIrisLevel);
         return Ok();
     }, 2, 0, "sai off|N: auto iris off, or on at level N"},

    // Temperature alarm.
    {"sta", KovraArgKind::OnOff, "", "", nullptr, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         Working(c).m_bTemperatureAlarm = a.m_bOn;
         return Ok();
     }, 2, 0, "sta on|off: temperature alarm"},
    {"stt", KovraArgKind::IntPair, "", "", ThresholdRange, ThresholdRange, nullptr,
     [](Ctx& c, const Args& a) {
         if (a.m_nValue2 > a.m_nValue) {
             return KovraErrorReply(KovraErrorText::THRESHOLDS);
         }
         Working(c).m_nAlarmSet = a.m_nValue;
         Working(c).m_nAlarmClear = a.m_nValue2;
         return Ok();
     }, 2, 0, "stt SET CLEAR: degrees Celsius at which the warning is set and cleared"},

    // Setting sets, boot and reset.
    {"sbf", KovraArgKind::Word, "f u1 u2", "", nullptr, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         c.m_State.m_eBootSet = KovraBootSet(a.m_nChoice);
         return Ok();
     }, 2, 0, "sbf f|u1|u2: settings loaded at power-up"},
    {"lff", KovraArgKind::None, "", "", nullptr, nullptr, nullptr,
     [](Ctx& c, const Args&) {
         Working(c) = c.m_State.m_Sets[0];
         return Ok();
     }, 150, 0, "lff: load the factory settings"},
    {"lfu", KovraArgKind::Int, "", "", UserSetRange, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         Working(c) = c.m_State.m_Sets[size_t(a.m_nValue)];
         return Ok();
     }, 150, 0, "lfu 1|2: load user set 1 or 2"},
    {"stf", KovraArgKind::None, "", "", nullptr, nullptr, nullptr,
     [](Ctx& c, const Args&) {
         c.m_State.m_Sets[0] = Working(c);
         return Ok();
     }, 150, 0, "stf: store the settings as the factory set"},
    {"stu", KovraArgKind::Int, "", "", UserSetRange, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         c.m_State.m_Sets[size_t(a.m_nValue)] = Working(c);
         return Ok();
     }, 150, 0, "stu 1|2: store the settings as user set 1 or 2"},
    {"rc", KovraArgKind::None, "", "", nullptr, nullptr, nullptr,
     [](Ctx&, const Args&) {
         return KovraReply{{"Reset camera? (y/n)"}, true};
     }, 2, 0, "rc: reset the camera, confirmed by a line \"y\""},
    {"sem", KovraArgKind::OnOff, "", "", nullptr, nullptr, nullptr,
     [](Ctx& c, const Args& a) {
         c.m_State.m_bEcho = a.m_bOn;
         return Ok();
     }, 2, 0, "sem on|off: echo of the typed characters"},

    // Queries with answers of their own.
    {"gws", KovraArgKind::None, "", "", nullptr, nullptr, nullptr,
     [](Ctx& c, const Args&) { return KovraReply{KovraWorkingSettingLines(c), false}; },
     10, 0, "gws: every working setting, one \"key value\" line each"},
    {"gmn", KovraArgKind::None, "", "", nullptr, nullptr, nullptr,
     [](Ctx& c, const Args&) {
         return KovraReply{{KovraAnsweredName(c.m_Model, c.m_bColor)}, false};
     }, 2, 0, "gmn: model name"},
    {"gmd", KovraArgKind::None, "", "", nullptr, nullptr, nullptr,
     [](Ctx& c, const Args&) { return KovraReply{KovraManufacturerData(c), false}; },
     5, 0, "gmd: manufacturer data"},
    {"gsv", KovraArgKind::None, "", "", nullptr, nullptr, nullptr,
     [](Ctx&, const Args&) { return KovraReply{{std::string(KovraInfo::SOFTWARE_VERSION)}, false}; },
     2, 0, "gsv: software version"},
    {"gfv", KovraArgKind::None, "", "", nullptr, nullptr, nullptr,
     [](Ctx&, const Args&) { return KovraReply{{std::string(KovraInfo::FIRMWARE_VERSION)}, false}; },
     2, 0, "gfv: firmware version"},
    {"dpm", KovraArgKind::None, "", "", nullptr, nullptr, nullptr,
     [](Ctx& c, const Args&) { return KovraReply{KovraDefectivePixelsMap(c), false}; },
     200, 0, "dpm: defective pixels map"},
    {"h", KovraArgKind::Rest, "", "", nullptr, nullptr, nullptr,
     [](Ctx& c, const Args& a) { return KovraHelp(c, a.m_Words); },
     2, 0, "h [COMMAND]: the commands, or the syntax of one"},
};
// clang-format on

}  // namespace

std::span<const KovraCommand> KovraCommands() {
    return COMMANDS;
}

const KovraCommand* FindKovraCommand(std::string_view mnemonic) {
    for (const KovraCommand& command : COMMANDS) {
        if (command.m_sMnemonic == mnemonic) {
            return &command;
        }
    }
    return nullptr;
}

bool KovraSupports(KovraSupportFn supported, const KovraModelInfo& model) {
    return supported == nullptr || supported(model);
}

KovraArgForm KovraArgFormFor(const KovraCommand& command, const KovraModelInfo& model) {
    KovraArgForm form;
    form.m_eKind = command.m_eArg;
    form.m_sWords = command.m_sWords;
    form.m_sWords2 = command.m_sWords2;
    if (command.m_fnRange) {
        form.m_Range = command.m_fnRange(model);
    }
    if (command.m_fnRange2) {
        form.m_Range2 = command.m_fnRange2(model);
    }
    return form;
}

KovraReply KovraErrorReply(std::string_view text) {
    return KovraReply{{std::string(text)}, false};
}
