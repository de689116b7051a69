#include "VkrLogRecord.h"

#include <unistd.h>

#include <memory>
#include <string_view>

#include "VkrLogText.h"

namespace {

struct InternalStrDeleter {
    void operator()(char* text) const { VLDestroyInternalStr(text); }
};
using InternalStr = std::unique_ptr<char, InternalStrDeleter>;

// End of the name part of a signature: the '(' that opens the parameters.
size_t NameEnd(std::string_view s, size_t from) {
    int angles = 0;
    for (size_t i = from; i < s.size(); ++i) {
        if (s[i] == '<') {
            ++angles;
        } else if (s[i] == '>' && angles > 0) {
            --angles;
        } else if (s[i] == '(' && angles == 0) {
            return i;
        }
    }
    return s.size();
}

// Start of the name: after the last blank outside template brackets.
size_t NameStart(std::string_view s, size_t end) {
    int angles = 0;
    for (size_t i = end; i-- > 0;) {
        if (s[i] == '>') {
            ++angles;
        } else if (s[i] == '<' && angles > 0) {
            --angles;
        } else if ((s[i] == ' ' || s[i] == '*' || s[i] == '&') && angles == 0) {
            return i + 1;
        }
    }
    return 0;
}

}  // namespace

std::string VLQualifiedFunctionName(const char* signature) {
    if (!signature) {
        return {};
    }
    std::string_view s(signature);
    if (const size_t with = s.find(" [with "); with != std::string_view::npos) {
        s = s.substr(0, with);
    }
    // An operator's own symbols ("operator()", "operator<") are part of the name.
    const size_t op = s.find("operator");
    if (op != std::string_view::npos && (op == 0 || s[op - 1] == ':' || s[op - 1] == ' ')) {
        size_t end = op + 8;
        if (s.substr(end, 2) == "()") {
            end += 2;
        }
        while (end < s.size() && s[end] != '(') {
            ++end;
        }
        return std::string(s.substr(NameStart(s, op), end - NameStart(s, op)));
    }
    const size_t end = NameEnd(s, 0);
    const size_t start = NameStart(s, end);
    return std::string(s.substr(start, end - start));
}

void VLWriteRecordV(const VLOrigin& origin, const char* function, int line, int severity,
                    const char* format, va_list args) {
    if (!VLIsLogRecordNeeded(severity)) {
        return;
    }
    const InternalStr time(VLGetTimeStr());
    const InternalStr message(VLGetErrorStrVA(format, args));
    const std::u16string source = VkrLogText::ToUtf16(origin.m_szSource ? origin.m_szSource : "");
    VLLogOutput(static_cast<uint32_t>(getpid()), static_cast<uint32_t>(gettid()), time.get(),
                origin.m_szModule, origin.m_szSecondName, source.c_str(), function, line, severity,
                1, message.get(), -1);
}

void VLWriteRecord(const VLOrigin& origin, const char* function, int line, int severity,
                   const char* format, ...) {
    va_list args;
    va_start(args, format);
    VLWriteRecordV(origin, function, line, severity, format, args);
    va_end(args);
}
