#pragma once
// An owned 8-bit text with value semantics.

#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class KvString {
public:
    static constexpr size_t npos = std::string::npos;

    KvString() = default;
    KvString(const char* text) : m_sText(text ? text : "") {}
    KvString(const char* text, size_t length) : m_sText(text ? std::string(text, length) : "") {}
    KvString(std::string text) : m_sText(std::move(text)) {}
    KvString(std::string_view text) : m_sText(text) {}
    KvString(size_t count, char c) : m_sText(count, c) {}

    // printf-style construction; "%I64i" and "%I64u" stand for 64-bit decimals.
    static KvString Format(const char* format, ...);

    const char* c_str_ascii() const { return m_sText.c_str(); }
    const std::string& str() const { return m_sText; }
    std::string_view view() const { return m_sText; }
    operator std::string_view() const { return m_sText; }

    size_t GetLength() const { return m_sText.size(); }
    bool IsEmpty() const { return m_sText.empty(); }
    void Empty() { m_sText.clear(); }
    char GetAt(size_t index) const { return index < m_sText.size() ? m_sText[index] : '\0'; }
    void SetAt(size_t index, char c);
    char operator[](size_t index) const { return GetAt(index); }

    // Search: position of the first (or last) match at or after start, npos when none.
    size_t Find(std::string_view what, size_t start = 0) const { return m_sText.find(what, start); }
    size_t Find(char c, size_t start = 0) const { return m_sText.find(c, start); }
    size_t ReverseFind(char c) const { return m_sText.rfind(c); }
    size_t ReverseFind(std::string_view what) const { return m_sText.rfind(what); }
    size_t FindOneOf(std::string_view chars, size_t start = 0) const {
        return m_sText.find_first_of(chars, start);
    }
    bool Contains(std::string_view what) const { return m_sText.find(what) != npos; }
    bool StartsWith(std::string_view what) const { return m_sText.starts_with(what); }
    bool EndsWith(std::string_view what) const { return m_sText.ends_with(what); }

    // Slices; out-of-range positions are clamped, never undefined.
    KvString Left(size_t count) const;
    KvString Right(size_t count) const;
    KvString Mid(size_t start, size_t count = npos) const;

    // Edits, each returning *this for chaining.
    KvString& Append(std::string_view text) { m_sText.append(text); return *this; }
    KvString& Insert(size_t index, std::string_view text);
    KvString& Delete(size_t index, size_t count = 1);
    // Replaces every occurrence of what by with; returns the number replaced.
    size_t Replace(std::string_view what, std::string_view with);
    size_t Remove(char c);
    KvString& MakeUpper();
    KvString& MakeLower();
    KvString& Trim() { return TrimLeft().TrimRight(); }
    KvString& TrimLeft(std::string_view chars = " \t\r\n");
    KvString& TrimRight(std::string_view chars = " \t\r\n");

    int Compare(std::string_view other) const { return m_sText.compare(other); }
    int CompareNoCase(std::string_view other) const;

    KvString& operator+=(std::string_view text) { return Append(text); }
    KvString& operator+=(const char* text) { return Append(text ? text : ""); }
    KvString& operator+=(char c) { m_sText.push_back(c); return *this; }

    friend KvString operator+(KvString a, const KvString& b) { return a += b.view(); }
    friend KvString operator+(KvString a, const char* b) { return a += b; }
    friend KvString operator+(KvString a, char b) { return a += b; }
    friend KvString operator+(const char* a, const KvString& b) { return KvString(a) += b; }

    friend bool operator==(const KvString& a, const KvString& b) = default;
    friend auto operator<=>(const KvString& a, const KvString& b) = default;
    friend bool operator==(const KvString& a, const char* b) { return a.m_sText == (b ? b : ""); }

private:
    std::string m_sText;
};

// Copies text into a caller's buffer of the given length, always terminated;
// returns false (and copies as much as fits) when the buffer is too small.
bool KvStrcpy(char* buffer, size_t length, std::string_view text);

// Turns "%I64i", "%I64d", "%I64u" and "%I64x" into the platform's 64-bit
// conversions, so that formats written for the camera protocol work unchanged.
std::string KvTranslateFormat(const char* format);

// Hash support so that KvString can key unordered containers.
template <>
struct std::hash<KvString> {
    size_t operator()(const KvString& s) const noexcept { return std::hash<std::string>()(s.str()); }
};
