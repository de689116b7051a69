#include "VkrLog.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

#include "VkrLogText.h"

namespace {

constexpr int kTargets = 3;  // debugger, file, console

struct LogState {
    std::mutex m_mLock;  // guards the file and the order of lines
    std::FILE* m_pFile = nullptr;
    std::string m_sPath;
    bool m_bOpen = false;
    std::atomic<int> m_nThreshold[kTargets] = {0, 0, 0};
};

// Never destroyed: modules may still log while other static objects of the
// process are being torn down.
LogState& State() {
    static LogState* state = new LogState;
    return *state;
}

bool Accepts(int threshold, int severity) {
    return threshold > 0 && severity >= threshold;
}

int ThresholdOf(const LogState& state, int target) {
    return state.m_nThreshold[target - 1].load(std::memory_order_relaxed);
}

void CloseLocked(LogState& state) {
    if (state.m_pFile) {
        std::fclose(state.m_pFile);
        state.m_pFile = nullptr;
    }
    state.m_sPath.clear();
    state.m_bOpen = false;
    for (auto& threshold : state.m_nThreshold) {
        threshold = 0;
    }
}

std::string LogFilePath(const char* logName, const char* folder) {
    std::string path = folder ? folder : "";
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    return path + logName + ".log";
}

}  // namespace

KvResult VLInitLogA(const char* logName, const char* folder, int truncate, int fileTarget,
                    int consoleTarget) {
    if (!logName || !*logName) {
        return KvCode::INVALID_ARGUMENT;
    }
    LogState& state = State();
    std::lock_guard lock(state.m_mLock);
    CloseLocked(state);
    state.m_bOpen = true;
    state.m_nThreshold[VLTarget::CONSOLE - 1] = consoleTarget ? 1 : 0;
    if (!fileTarget) {
        return KvCode::OK;
    }
    state.m_sPath = LogFilePath(logName, folder);
    state.m_pFile = std::fopen(state.m_sPath.c_str(), truncate ? "w" : "a");
    if (!state.m_pFile) {
        state.m_sPath.clear();
        return KvCode::CANNOT_CREATE;
    }
    state.m_nThreshold[VLTarget::FILE - 1] = 1;
    return KvCode::OK;
}

KvResult VLSetLogSeverityThreshold(int threshold, int target) {
    if (target < 1 || target > kTargets || threshold < 0) {
        return KvCode::INVALID_ARGUMENT;
    }
    LogState& state = State();
    std::lock_guard lock(state.m_mLock);
    if (!state.m_bOpen) {
        return KvCode::NOT_INITIALIZED;
    }
    // A file target whose file could not be opened stays off.
    if (target == VLTarget::FILE && !state.m_pFile) {
        return KvCode::CANNOT_OPEN;
    }
    state.m_nThreshold[target - 1] = threshold;
    return KvCode::OK;
}

void VLCloseLog() {
    LogState& state = State();
    std::lock_guard lock(state.m_mLock);
    CloseLocked(state);
}

KvString VLGetLogFilePath() {
    LogState& state = State();
    std::lock_guard lock(state.m_mLock);
    return KvString(state.m_sPath);
}

bool VLIsLogRecordNeeded(int severity) {
    const LogState& state = State();
    for (int target = 1; target <= kTargets; ++target) {
        if (Accepts(ThresholdOf(state, target), severity)) {
            return true;
        }
    }
    return false;
}

KvResult VLLogOutput(uint32_t processId, uint32_t threadId, const char* timeText,
                     const char* moduleName, const char* secondName, const char16_t* sourceFile,
                     const char* functionName, int32_t line, int32_t severity, int32_t /*one*/,
                     const char* message, int32_t /*minusOne*/) {
    LogState& state = State();
    const bool toFile = Accepts(ThresholdOf(state, VLTarget::FILE), severity);
    const bool toStderr = Accepts(ThresholdOf(state, VLTarget::CONSOLE), severity) ||
                          Accepts(ThresholdOf(state, VLTarget::DEBUGGER), severity);
    if (!toFile && !toStderr) {
        return KvCode::OK;
    }

    using VkrLogText::AppendField;
    std::string text;
    AppendField(text, timeText ? timeText : "");
    text += '\t';
    const char* name = VkrLogText::SeverityName(severity);
    text += name ? std::string(name) : "SEVERITY" + std::to_string(severity);
    text += '\t' + std::to_string(processId) + '\t' + std::to_string(threadId) + '\t';
    AppendField(text, moduleName ? moduleName : "");
    text += '\t';
    AppendField(text, secondName ? secondName : "");
    text += '\t';
    AppendField(text, VkrLogText::FromUtf16(sourceFile));
    text += ':' + std::to_string(line) + '\t';
    AppendField(text, functionName ? functionName : "");
    text += '\t';
    AppendField(text, message ? message : "");
    text += '\n';

    std::lock_guard lock(state.m_mLock);
    KvResult result = KvCode::OK;
    if (toFile && state.m_pFile) {
        // Flushed per record, so a crash right after keeps what led to it.
        if (std::fputs(text.c_str(), state.m_pFile) < 0 || std::fflush(state.m_pFile) != 0) {
            result = KvCode::CANNOT_OPEN;
        }
    }
    if (toStderr) {
        std::fputs(text.c_str(), stderr);
    }
    return result;
}
