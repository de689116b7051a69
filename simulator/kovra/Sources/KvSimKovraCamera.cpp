#include "KvSimKovraCamera.h"

#include <algorithm>
#include <cmath>

#include "KovraCommandTable.h"
#include "KovraInfoTexts.h"

namespace {

constexpr size_t MAX_LINE = 255;          // the camera's line buffer
constexpr size_t MAX_WAITING_LINES = 32;  // lines typed ahead of the processor
constexpr int64_t NS_PER_MS = 1000000;
// Drift is followed in steps no longer than this, so that a warning lands
// within a few characters of where the threshold was crossed.
constexpr int64_t TEMPERATURE_STEP_NS = 10 * NS_PER_MS;

constexpr std::string_view LINE_END = "\r\n";
constexpr std::string_view PROMPT = "\r\n:";
constexpr std::string_view WARNING_SET = "\r\nWarning set - High temperature\r\n\r\n:";
constexpr std::string_view WARNING_CLEARED = "\r\nWarning cleared - High temperature\r\n\r\n:";

// An answer: a line end, its lines each ending in a line end, then the prompt.
std::string Frame(const std::vector<std::string>& lines) {
    std::string text(LINE_END);
    for (const std::string& line : lines) {
        text += line;
        text += LINE_END;
    }
    text += PROMPT;
    return text;
}

std::string Frame(std::string_view line) {
    return Frame(std::vector<std::string>{std::string(line)});
}

std::string_view Trim(std::string_view text) {
    const size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        return {};
    }
    return text.substr(start, text.find_last_not_of(" \t") - start + 1);
}

}  // namespace

KvSimKovraCamera::KvSimKovraCamera(const KovraModelInfo& model, const KovraCameraOptions& options)
    : m_Model(model),
      m_Options(options),
      m_sSerialNumber(options.m_sSerialNumber.empty() ? KovraDefaultSerialNumber(model)
                                                      : options.m_sSerialNumber),
      m_Noise(options.m_nNoiseSeed) {
    m_State.m_Sets.fill(KovraFactorySettings(model));
    m_State.m_dTemperature = options.m_dStartTemperature;
    FinishBoot(false);
}

KvSimKovraCamera::~KvSimKovraCamera() = default;

void KvSimKovraCamera::Write(std::span<const uint8_t> bytes) {
    for (uint8_t byte : bytes) {
        ReceiveByte(byte);
    }
}

void KvSimKovraCamera::Write(std::string_view text) {
    Write(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

size_t KvSimKovraCamera::Read(std::span<uint8_t> buffer) {
    const size_t count = std::min(buffer.size(), m_Sent.size());
    std::copy_n(m_Sent.begin(), count, buffer.begin());
    m_Sent.erase(m_Sent.begin(), m_Sent.begin() + static_cast<std::ptrdiff_t>(count));
    return count;
}

std::string KvSimKovraCamera::ReadAll() {
    std::string text(m_Sent.begin(), m_Sent.end());
    m_Sent.clear();
    return text;
}

void KvSimKovraCamera::ReceiveByte(uint8_t byte) {
    if (m_State.m_ePhase == KovraPhase::Booting) {
        return;  // the UART is not listening yet
    }
    const bool echo = m_State.m_bEcho;
    switch (byte) {
        case '\r':
            if (echo) {
                Send(LINE_END);
            }
            LineComplete();
            return;
        case '\b':
        case 0x7F:
            if (!m_sTyped.empty() && !m_bTypedTooLong) {
                m_sTyped.pop_back();
                if (echo) {
                    Send("\b \b");
                }
            }
            return;
        default:
            break;
    }
    if (byte < 0x20) {
        return;  // line feeds, the NUL after a command and other controls are dropped
    }
    if (echo) {
        Send(std::string_view(reinterpret_cast<const char*>(&byte), 1));
    }
    if (m_sTyped.size() < MAX_LINE) {
        m_sTyped.push_back(static_cast<char>(byte));
    } else {
        m_bTypedTooLong = true;
    }
}

void KvSimKovraCamera::LineComplete() {
    if (m_Lines.size() < MAX_WAITING_LINES) {
        m_Lines.push_back(Line{std::move(m_sTyped), m_bTypedTooLong});
    }
    m_sTyped.clear();
    m_bTypedTooLong = false;
    StartNextLine();
}

void KvSimKovraCamera::StartNextLine() {
    if (m_Processing || m_Lines.empty() || m_State.m_ePhase == KovraPhase::Booting) {
        return;
    }
    Line line = std::move(m_Lines.front());
    m_Lines.pop_front();
    const int64_t done = m_nNowNs + LatencyMs(line) * NS_PER_MS;
    m_Processing = Processing{std::move(line), done};
}

int KvSimKovraCamera::LatencyMs(const Line& line) const {
    constexpr int QUICK = 2;
    if (line.m_bTooLong || m_State.m_ePhase == KovraPhase::ConfirmReset) {
        return QUICK;
    }
    const KovraLine split = SplitKovraLine(line.m_sText);
    const KovraCommand* command = FindKovraCommand(split.m_sMnemonic);
    if (command == nullptr) {
        return QUICK;
    }
    if (command->m_nLatencyOnMs != 0 && !split.m_Words.empty() && split.m_Words[0] == "on") {
        return command->m_nLatencyOnMs;
    }
    return command->m_nLatencyMs;
}

void KvSimKovraCamera::FinishLine(const Line& line) {
    if (m_State.m_ePhase == KovraPhase::ConfirmReset) {
        m_State.m_ePhase = KovraPhase::Running;
        const std::string_view answer = Trim(line.m_sText);
        if (!line.m_bTooLong && (answer == "y" || answer == "Y")) {
            Send("\r\nResetting camera...\r\n");
            StartReset();
        } else {
            Send(Frame("Reset cancelled"));
        }
        return;
    }
    Send(Answer(line));
}

std::string KvSimKovraCamera::Answer(const Line& line) {
    if (line.m_bTooLong) {
        return Frame(KovraErrorText::TOO_LONG);
    }
    const KovraLine split = SplitKovraLine(line.m_sText);
    if (split.m_sMnemonic.empty()) {
        return std::string(PROMPT);
    }
    KovraCommandContext context{m_State, m_Model, m_Options.m_bColor, m_sSerialNumber};
    if (const KovraCommand* command = FindKovraCommand(split.m_sMnemonic)) {
        if (!KovraSupports(command->m_fnSupported, m_Model)) {
            return Frame(KovraErrorText::UNSUPPORTED);
        }
        KovraArgs args;
        switch (ParseKovraArgs(KovraArgFormFor(*command, m_Model), split.m_Words, args)) {
            case KovraArgFault::Invalid:
                return Frame(KovraErrorText::INVALID);
            case KovraArgFault::OutOfRange:
                return Frame(KovraErrorText::RANGE);
            case KovraArgFault::None:
                break;
        }
        KovraReply reply = command->m_fnRun(context, args);
        if (reply.m_bAskResetConfirm) {
            m_State.m_ePhase = KovraPhase::ConfirmReset;
        }
        return Frame(reply.m_Lines);
    }
    // "g" + the key of a working-settings line queries that line alone.
    if (split.m_sMnemonic.size() > 1 && split.m_sMnemonic.front() == 'g') {
        std::string key(split.m_sMnemonic.substr(1));
        for (std::string_view word : split.m_Words) {
            key += ' ';
            key += word;
        }
        if (const KovraSettingLine* setting = FindKovraSettingLine(key)) {
            if (!KovraSupports(setting->m_fnSupported, m_Model)) {
                return Frame(KovraErrorText::UNSUPPORTED);
            }
            return Frame(setting->m_fnValue(context));
        }
    }
    return Frame(KovraErrorText::UNKNOWN);
}

void KvSimKovraCamera::StartReset() {
    m_State.m_ePhase = KovraPhase::Booting;
    m_nBootDoneNs = m_nNowNs + std::chrono::duration_cast<Duration>(m_Options.m_BootDelay).count();
    m_Lines.clear();
    m_sTyped.clear();
    m_bTypedTooLong = false;
}

void KvSimKovraCamera::FinishBoot(bool bAnnounce) {
    m_State.m_Working = m_State.m_Sets[size_t(m_State.m_eBootSet)];
    m_State.m_bEcho = true;
    m_State.m_ePhase = KovraPhase::Running;
    m_State.m_bWarningActive = false;
    if (bAnnounce) {
        Send(Frame(std::vector<std::string>{AnsweredName(), "Boot OK"}));
    }
}

void KvSimKovraCamera::PowerCycle() {
    m_Transmit.clear();
    m_Lines.clear();
    m_Processing.reset();
    m_sTyped.clear();
    m_bTypedTooLong = false;
    FinishBoot(false);
}

int64_t KvSimKovraCamera::ByteTimeNs() const {
    // 8N1: a start bit, eight data bits and a stop bit.
    return 10 * int64_t(1000000000) / m_Options.m_nBaudRate;
}

void KvSimKovraCamera::Send(std::string_view text) {
    if (m_Options.m_nBaudRate == 0) {
        for (char c : text) {
            Deliver(static_cast<uint8_t>(c));
        }
        return;
    }
    if (m_Transmit.empty() && !text.empty()) {
        m_nByteDoneNs = std::max(m_nNowNs, m_nByteDoneNs) + ByteTimeNs();
    }
    m_Transmit.insert(m_Transmit.end(), text.begin(), text.end());
}

void KvSimKovraCamera::SendNow(std::string_view text) {
    if (m_Options.m_nBaudRate == 0 || m_Transmit.empty()) {
        Send(text);
        return;
    }
    // The byte on the line is given up and sent again after the inserted text.
    m_Transmit.insert(m_Transmit.begin(), text.begin(), text.end());
}

void KvSimKovraCamera::Deliver(uint8_t byte) {
    m_Sent.push_back(byte);
    if (m_Options.m_dNoiseRate > 0 &&
        std::uniform_real_distribution<double>(0, 1)(m_Noise) < m_Options.m_dNoiseRate) {
        m_Sent.push_back(static_cast<uint8_t>(std::uniform_int_distribution<int>(0, 255)(m_Noise)));
    }
}

std::optional<KvSimKovraCamera::Duration> KvSimKovraCamera::NextEventIn() const {
    std::optional<int64_t> next;
    auto consider = [&](int64_t at) { next = std::min(next.value_or(at), at); };
    if (!m_Transmit.empty()) {
        consider(m_nByteDoneNs);
    }
    if (m_Processing) {
        consider(m_Processing->m_nDoneNs);
    }
    if (m_State.m_ePhase == KovraPhase::Booting) {
        consider(m_nBootDoneNs);
    }
    if (!next) {
        return std::nullopt;
    }
    return Duration(std::max<int64_t>(0, *next - m_nNowNs));
}

void KvSimKovraCamera::Advance(Duration elapsed) {
    StepTo(m_nNowNs + std::max<int64_t>(0, elapsed.count()));
}

void KvSimKovraCamera::StepTo(int64_t targetNs) {
    do {
        int64_t next = targetNs;
        if (auto event = NextEventIn()) {
            next = std::min(next, m_nNowNs + event->count());
        }
        if (m_Options.m_dTargetTemperature) {
            next = std::min(next, m_nNowNs + TEMPERATURE_STEP_NS);
        }
        UpdateTemperature(next - m_nNowNs);
        m_nNowNs = next;

        while (!m_Transmit.empty() && m_nByteDoneNs <= m_nNowNs) {
            Deliver(m_Transmit.front());
            m_Transmit.pop_front();
            if (!m_Transmit.empty()) {
                m_nByteDoneNs += ByteTimeNs();
            }
        }
        if (m_State.m_ePhase == KovraPhase::Booting && m_nBootDoneNs <= m_nNowNs) {
            FinishBoot(true);
            StartNextLine();
        }
        if (m_Processing && m_Processing->m_nDoneNs <= m_nNowNs) {
            Line line = std::move(m_Processing->m_Line);
            m_Processing.reset();
            FinishLine(line);
            StartNextLine();
        }
        CheckTemperatureAlarm();
    } while (m_nNowNs < targetNs);
}

void KvSimKovraCamera::SetTriggerInput(KovraTriggerSource input, bool bLevel) {
    if (input == KovraTriggerSource::Off) {
        return;
    }
    bool& level = m_bTriggerLevel[size_t(input)];
    const bool rose = bLevel && !level;
    const bool fell = !bLevel && level;
    level = bLevel;
    const KovraSettings& s = m_State.m_Working;
    if (m_State.m_ePhase == KovraPhase::Booting || s.m_eTriggerSource != input) {
        return;
    }
    const bool rising = input == KovraTriggerSource::CC || s.m_bTriggerRisingEdge;
    if (rising ? rose : fell) {
        m_nTriggeredFrames += s.m_nTriggerDuration;
    }
}

void KvSimKovraCamera::SetTemperature(double degrees) {
    m_State.m_dTemperature = degrees;
    CheckTemperatureAlarm();
}

void KvSimKovraCamera::SetTargetTemperature(std::optional<double> degrees, double perSecond) {
    m_Options.m_dTargetTemperature = degrees;
    m_Options.m_dDriftPerSecond = std::abs(perSecond);
}

void KvSimKovraCamera::UpdateTemperature(int64_t elapsedNs) {
    if (!m_Options.m_dTargetTemperature || elapsedNs <= 0) {
        return;
    }
    const double target = *m_Options.m_dTargetTemperature;
    const double step = m_Options.m_dDriftPerSecond * double(elapsedNs) / 1e9;
    double& t = m_State.m_dTemperature;
    t = t < target ? std::min(target, t + step) : std::max(target, t - step);
}

void KvSimKovraCamera::CheckTemperatureAlarm() {
    if (m_State.m_ePhase == KovraPhase::Booting) {
        return;
    }
    const KovraSettings& s = m_State.m_Working;
    if (!s.m_bTemperatureAlarm) {
        m_State.m_bWarningActive = false;  // switching the alarm off drops the warning quietly
        return;
    }
    const double t = m_State.m_dTemperature;
    if (!m_State.m_bWarningActive && t >= double(s.m_nAlarmSet)) {
        m_State.m_bWarningActive = true;
        SendNow(WARNING_SET);
    } else if (m_State.m_bWarningActive && t <= double(s.m_nAlarmClear)) {
        m_State.m_bWarningActive = false;
        SendNow(WARNING_CLEARED);
    }
}
