#pragma once
// The console's commands in one table: mnemonic, argument, range, what it does
// to the camera state and how long the camera takes for it; and the setting
// lines that "gws" and the single-value queries answer with.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "KovraLineParser.h"
#include "KvSimKovraState.h"

struct KovraCommandContext {
    KovraCameraState& m_State;
    const KovraModelInfo& m_Model;
    bool m_bColor = false;
    std::string_view m_sSerialNumber;
};

// The body of an answer: its lines without line ends. The console frames them.
struct KovraReply {
    std::vector<std::string> m_Lines;
    bool m_bAskResetConfirm = false;  // the next line answers the reset question
};

using KovraRangeFn = KovraRange (*)(const KovraModelInfo&);
using KovraSupportFn = bool (*)(const KovraModelInfo&);

struct KovraCommand {
    std::string_view m_sMnemonic;
    KovraArgKind m_eArg = KovraArgKind::None;
    std::string_view m_sWords;               // choices of a Word or Trigger argument
    std::string_view m_sWords2;              // second choices of a Trigger argument
    KovraRangeFn m_fnRange = nullptr;        // value range
    KovraRangeFn m_fnRange2 = nullptr;       // second value or tap range
    KovraSupportFn m_fnSupported = nullptr;  // nullptr: every model
    KovraReply (*m_fnRun)(KovraCommandContext&, const KovraArgs&) = nullptr;
    int m_nLatencyMs = 2;        // from the carriage return to the first byte of the answer
    int m_nLatencyOnMs = 0;      // when not 0: the latency of the "on" form
    std::string_view m_sSyntax;  // shown by "h"
};

struct KovraSettingLine {
    std::string_view m_sKey;           // "st", "ao 1": the gws key, and "g" + key queries it
    bool m_bInWorkingSettings = true;  // listed by "gws"
    KovraSupportFn m_fnSupported = nullptr;
    std::string (*m_fnValue)(const KovraCommandContext&) = nullptr;
};

std::span<const KovraCommand> KovraCommands();
std::span<const KovraSettingLine> KovraSettingLines();

const KovraCommand* FindKovraCommand(std::string_view mnemonic);
const KovraSettingLine* FindKovraSettingLine(std::string_view key);

bool KovraSupports(KovraSupportFn supported, const KovraModelInfo& model);
KovraArgForm KovraArgFormFor(const KovraCommand& command, const KovraModelInfo& model);

// "key value" lines of every setting the model has, in "gws" order.
std::vector<std::string> KovraWorkingSettingLines(const KovraCommandContext& context);

// The camera's refusals. Every one contains "Error", which is what the host
// looks for.
namespace KovraErrorText {
inline constexpr std::string_view UNKNOWN = "Error: unknown command";
inline constexpr std::string_view INVALID = "Error: invalid argument";
inline constexpr std::string_view RANGE = "Error: value out of range";
inline constexpr std::string_view UNSUPPORTED = "Error: not supported by this camera";
inline constexpr std::string_view TOO_LONG = "Error: command line too long";
inline constexpr std::string_view WINDOW = "Error: window start must lie before its end";
inline constexpr std::string_view THRESHOLDS = "Error: clear threshold above set threshold";
}  // namespace KovraErrorText

KovraReply KovraErrorReply(std::string_view text);
