#include "KvIniText.h"

#include <cstdint>
#include <optional>

#include "KvUtf8.h"

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

std::optional<int> HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return std::nullopt;
}

// The letter escapes of control characters, in both directions.
constexpr std::string_view kControls = "\a\b\f\n\r\t\v";
constexpr std::string_view kLetters = "abfnrtv";

// Next code point of a UTF-8 text; a byte that starts no valid sequence
// stands for itself (Latin-1), so that any 8-bit name survives a round trip.
char32_t NextCodePoint(std::string_view text, size_t& i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length = 0;
    char32_t cp = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, cp = lead & 0x07;
    }
    if (length == 0 || i + length > text.size()) {
        ++i;
        return lead;
    }
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return lead;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
    if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return lead;
    }
    i += length;
    return cp;
}

void AppendUnit(std::string& out, uint32_t unit) {
    out += "%U";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out.push_back(kHex[(unit >> shift) & 0xF]);
    }
}

// Reads `count` hex digits at text[i]; nullopt when they are not all there.
std::optional<uint32_t> ReadHex(std::string_view text, size_t i, size_t count) {
    if (i + count > text.size()) {
        return std::nullopt;
    }
    uint32_t value = 0;
    for (size_t k = 0; k < count; ++k) {
        const auto digit = HexDigit(text[i + k]);
        if (!digit) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<uint32_t>(*digit);
    }
    return value;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

namespace KvIniText {

std::string EscapeName(std::string_view name) {
    std::string out;
    for (size_t i = 0; i < name.size();) {
        const char c = name[i];
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '_' || c == '-' || c == '.') {
            out.push_back(c);
            ++i;
            continue;
        }
        if (c == '/') {
            out.push_back('\\');
            ++i;
            continue;
        }
        const char32_t cp = NextCodePoint(name, i);
        if (cp <= 0xFF) {
            out.push_back('%');
            out.push_back(kHex[cp >> 4]);
            out.push_back(kHex[cp & 0xF]);
        } else if (cp < 0x10000) {
            AppendUnit(out, cp);
        } else {
            const char32_t v = cp - 0x10000;
            AppendUnit(out, 0xD800 + (v >> 10));
            AppendUnit(out, 0xDC00 + (v & 0x3FF));
        }
    }
    return out;
}

std::string UnescapeName(std::string_view escaped) {
    std::string out;
    for (size_t i = 0; i < escaped.size();) {
        const char c = escaped[i];
        if (c == '\\') {
            out.push_back('/');
            ++i;
            continue;
        }
        if (c == '%' && i + 1 < escaped.size() && escaped[i + 1] == 'U') {
            if (const auto unit = ReadHex(escaped, i + 2, 4)) {
                i += 6;
                char32_t cp = *unit;
                if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < escaped.size() &&
                    escaped.substr(i, 2) == "%U") {
                    const auto low = ReadHex(escaped, i + 2, 4);
                    if (low && *low >= 0xDC00 && *low <= 0xDFFF) {
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (*low - 0xDC00);
                        i += 6;
                    }
                }
                KvAppendUtf8(out, (cp >= 0xD800 && cp <= 0xDFFF) ? U'\uFFFD' : cp);
                continue;
            }
        } else if (c == '%') {
            if (const auto byte = ReadHex(escaped, i + 1, 2)) {
                KvAppendUtf8(out, *byte);
                i += 3;
                continue;
            }
        }
        out.push_back(c);
        ++i;
    }
    return out;
}

std::string EscapeValue(std::string_view value) {
    std::string out;
    if (!value.empty() && value.front() == '@') {
        out.push_back('@');  // "@@" reads back as a plain '@'
    }
    bool needsQuotes = false;
    bool escapeNextIfHex = false;
    for (const char c : value) {
        const auto u = static_cast<unsigned char>(c);
        if (c == ';' || c == ',' || c == '=') {
            needsQuotes = true;
        }
        // After a \x or \0 escape a hex digit would be read as part of it.
        if (escapeNextIfHex && HexDigit(c)) {
            out += "\\x";
            out.push_back(kHex[u >> 4] | 0x20);
            out.push_back(kHex[u & 0xF] | 0x20);
            continue;
        }
        escapeNextIfHex = false;
        if (c == '\0') {
            out += "\\0";
            escapeNextIfHex = true;
            continue;
        }
        if (const size_t control = kControls.find(c); control != std::string_view::npos) {
            out.push_back('\\');
            out.push_back(kLetters[control]);
            continue;
        }
        switch (c) {
            case '"':
            case '\\':
                out.push_back('\\');
                out.push_back(c);
                break;
            default:
                if (u <= 0x1F || u == 0x7F) {
                    out += "\\x";
                    out.push_back(static_cast<char>(kHex[u >> 4] | 0x20));
                    out.push_back(static_cast<char>(kHex[u & 0xF] | 0x20));
                    escapeNextIfHex = true;
                } else {
                    out.push_back(c);  // UTF-8 bytes are written as they are
                }
        }
    }
    if (needsQuotes || (!out.empty() && (out.front() == ' ' || out.back() == ' '))) {
        out = '"' + out + '"';
    }
    return out;
}

std::string UnescapeValue(std::string_view raw) {
    std::string out;
    size_t i = 0;
    while (i < raw.size() && IsBlank(raw[i])) {
        ++i;
    }
    if (raw.substr(i, 2) == "@@") {
        ++i;  // the doubled '@' of a text that starts with '@'
    }
    bool inQuotes = false;
    size_t keptEnd = 0;  // end of the text that trailing blanks may not cut
    for (; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '"') {
            inQuotes = !inQuotes;
            keptEnd = out.size();
            continue;
        }
        if (c == ';' && !inQuotes) {
            break;
        }
        if (c != '\\' || i + 1 >= raw.size()) {
            out.push_back(c);
            if (inQuotes || !IsBlank(c)) {
                keptEnd = out.size();
            }
            continue;
        }
        const char e = raw[++i];
        if (const size_t letter = kLetters.find(e); letter != std::string_view::npos) {
            out.push_back(kControls[letter]);
            keptEnd = out.size();
            continue;
        }
        switch (e) {
            case '0':
                out.push_back('\0');
                break;
            case 'x': {
                uint32_t value = 0;
                size_t digits = 0;
                while (i + 1 < raw.size() && digits < 4) {
                    const auto digit = HexDigit(raw[i + 1]);
                    if (!digit) {
                        break;
                    }
                    value = value * 16 + static_cast<uint32_t>(*digit);
                    ++i, ++digits;
                }
                if (digits == 0) {
                    out += "\\x";
                } else if (value <= 0xFF) {
                    out.push_back(static_cast<char>(value));
                } else {
                    KvAppendUtf8(out, value);
                }
                break;
            }
            default:  // \" \\ \' \? and anything else stand for themselves
                out.push_back(e);
                break;
        }
        keptEnd = out.size();
    }
    out.resize(keptEnd);
    return out;
}

}  // namespace KvIniText
