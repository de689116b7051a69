#include "KvString.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <strings.h>

std::string KvTranslateFormat(const char* format) {
    std::string out;
    if (!format) {
        return out;
    }
    for (const char* p = format; *p; ++p) {
        out.push_back(*p);
        if (*p != '%') {
            continue;
        }
        // Copy flags, width and precision, then look for the I64 length prefix.
        const char* q = p + 1;
        while (*q && std::strchr("-+ #0123456789.*", *q)) {
            out.push_back(*q++);
        }
        if (q[0] == 'I' && q[1] == '6' && q[2] == '4') {
            out += "ll";
            q += 3;
        }
        p = q - 1;
    }
    return out;
}

KvString KvString::Format(const char* format, ...) {
    const std::string translated = KvTranslateFormat(format);
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    const int size = std::vsnprintf(nullptr, 0, translated.c_str(), copy);
    va_end(copy);
    std::string text;
    if (size > 0) {
        text.resize(static_cast<size_t>(size) + 1);
        std::vsnprintf(text.data(), text.size(), translated.c_str(), args);
        text.resize(static_cast<size_t>(size));
    }
#pragma GCC diagnostic pop
    va_end(args);
    return KvString(std::move(text));
}

void KvString::SetAt(size_t index, char c) {
    if (index < m_sText.size()) {
        m_sText[index] = c;
    }
}

KvString KvString::Left(size_t count) const { return KvString(m_sText.substr(0, count)); }

KvString KvString::Right(size_t count) const {
    count = std::min(count, m_sText.size());
    return KvString(m_sText.substr(m_sText.size() - count));
}

KvString KvString::Mid(size_t start, size_t count) const {
    if (start >= m_sText.size()) {
        return {};
    }
    return KvString(m_sText.substr(start, count));
}

KvString& KvString::Insert(size_t index, std::string_view text) {
    m_sText.insert(std::min(index, m_sText.size()), text);
    return *this;
}

KvString& KvString::Delete(size_t index, size_t count) {
    if (index < m_sText.size()) {
        m_sText.erase(index, count);
    }
    return *this;
}

size_t KvString::Replace(std::string_view what, std::string_view with) {
    if (what.empty()) {
        return 0;
    }
    size_t count = 0;
    size_t pos = 0;
    while ((pos = m_sText.find(what, pos)) != npos) {
        m_sText.replace(pos, what.size(), with);
        pos += with.size();
        ++count;
    }
    return count;
}

size_t KvString::Remove(char c) {
    const size_t before = m_sText.size();
    std::erase(m_sText, c);
    return before - m_sText.size();
}

KvString& KvString::MakeUpper() {
    for (char& c : m_sText) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return *this;
}

KvString& KvString::MakeLower() {
    for (char& c : m_sText) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return *this;
}

KvString& KvString::TrimLeft(std::string_view chars) {
    m_sText.erase(0, std::min(m_sText.find_first_not_of(chars), m_sText.size()));
    return *this;
}

KvString& KvString::TrimRight(std::string_view chars) {
    const size_t last = m_sText.find_last_not_of(chars);
    m_sText.erase(last == npos ? 0 : last + 1);
    return *this;
}

int KvString::CompareNoCase(std::string_view other) const {
    const size_t n = std::min(m_sText.size(), other.size());
    const int c = strncasecmp(m_sText.data(), other.data(), n);
    if (c != 0 || m_sText.size() == other.size()) {
        return c;
    }
    return m_sText.size() < other.size() ? -1 : 1;
}

bool KvStrcpy(char* buffer, size_t length, std::string_view text) {
    if (!buffer || length == 0) {
        return false;
    }
    const size_t n = std::min(text.size(), length - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return n == text.size();
}
