#include "VkrLogText.h"

#include <sys/time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "KvUtf8.h"
#include "VkrLog.h"

namespace {

char* CopyOut(std::string_view text) {
    auto* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy) {
        std::memcpy(copy, text.data(), text.size());
        copy[text.size()] = '\0';
    }
    return copy;
}

}  // namespace

namespace VkrLogText {

void AppendField(std::string& line, std::string_view field) {
    static constexpr char kHex[] = "0123456789abcdef";
    for (const char c : field) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
            case '\\':
                line += "\\\\";
                break;
            case '\t':
                line += "\\t";
                break;
            case '\r':
                line += "\\r";
                break;
            case '\n':
                line += "\\n";
                break;
            default:
                if (u < 0x20 || u == 0x7F) {
                    line += "\\x";
                    line.push_back(kHex[u >> 4]);
                    line.push_back(kHex[u & 0xF]);
                } else {
                    line.push_back(c);
                }
        }
    }
}

std::string FromUtf16(const char16_t* text) {
    std::string out;
    if (!text) {
        return out;
    }
    for (const char16_t* p = text; *p; ++p) {
        char32_t cp = *p;
        if (cp >= 0xD800 && cp <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (p[1] - 0xDC00);
            ++p;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        KvAppendUtf8(out, cp);
    }
    return out;
}

std::u16string ToUtf16(std::string_view utf8) {
    std::u16string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        size_t length = lead < 0x80    ? 1
                        : lead >= 0xF0 ? 4
                        : lead >= 0xE0 ? 3
                        : lead >= 0xC0 ? 2
                                       : 0;
        char32_t cp = length == 1   ? lead
                      : length == 2 ? lead & 0x1F
                      : length == 3 ? lead & 0x0F
                                    : lead & 0x07;
        bool valid = length > 0 && i + length <= utf8.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            valid = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (!valid || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(u'\uFFFD');
            i += 1;
            continue;
        }
        i += length;
        if (cp >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

const char* SeverityName(int severity) {
    switch (severity) {
        case VLSeverity::TRACE:
            return "TRACE";
        case VLSeverity::INFO:
            return "INFO";
        case VLSeverity::WARNING:
            return "WARNING";
        case VLSeverity::ERROR:
            return "ERROR";
        default:
            return nullptr;
    }
}

}  // namespace VkrLogText

char* VLGetTimeStr() {
    timeval now{};
    gettimeofday(&now, nullptr);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    char text[40];
    const size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(text + n, sizeof text - n, ".%03ld", static_cast<long>(now.tv_usec / 1000));
    return CopyOut(text);
}

char* VLGetErrorStrVA(const char* format, va_list args) {
    const std::string translated = KvTranslateFormat(format);
    va_list copy;
    va_copy(copy, args);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    const int size = std::vsnprintf(nullptr, 0, translated.c_str(), copy);
    va_end(copy);
    if (size <= 0) {
        return CopyOut("");
    }
    auto* text = static_cast<char*>(std::malloc(static_cast<size_t>(size) + 1));
    if (text) {
        std::vsnprintf(text, static_cast<size_t>(size) + 1, translated.c_str(), args);
    }
#pragma GCC diagnostic pop
    return text;
}

char* VLGetErrorStrA(const char* format, ...) {
    va_list args;
    va_start(args, format);
    char* text = VLGetErrorStrVA(format, args);
    va_end(args);
    return text;
}

void VLDestroyInternalStr(char* text) {
    std::free(text);
}
