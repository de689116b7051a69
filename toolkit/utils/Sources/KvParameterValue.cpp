#include "KvParameterValue.h"

#include <strings.h>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>

#include "KvParameterRepository.h"

namespace KvParam {

namespace {
constexpr Wide kTwo63 = static_cast<Wide>(1) << 63;
constexpr Wide kTwo64 = static_cast<Wide>(1) << 64;

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}
}  // namespace

bool IsKnownType(uint32_t type) {
    return type <= KvParameterType::FLOAT;
}

Family FamilyOf(uint32_t type) {
    switch (type) {
        case KvParameterType::TEXT:
            return Family::TEXT;
        case KvParameterType::DOUBLE:
        case KvParameterType::FLOAT:
            return Family::REAL;
        default:
            return Family::INTEGER;
    }
}

Wide LowestOf(uint32_t type) {
    switch (type) {
        case KvParameterType::INT64:
        case KvParameterType::ENUM:
            return -kTwo63;
        case KvParameterType::INT8:
            return -128;
        case KvParameterType::INT16:
            return -32768;
        case KvParameterType::INT32:
            return -(static_cast<Wide>(1) << 31);
        default:
            return 0;
    }
}

Wide HighestOf(uint32_t type) {
    switch (type) {
        case KvParameterType::INT64:
        case KvParameterType::ENUM:
            return kTwo63 - 1;
        case KvParameterType::BOOL:
            return 1;
        case KvParameterType::UINT8:
            return 255;
        case KvParameterType::INT8:
            return 127;
        case KvParameterType::UINT16:
            return 65535;
        case KvParameterType::INT16:
            return 32767;
        case KvParameterType::UINT32:
            return (static_cast<Wide>(1) << 32) - 1;
        case KvParameterType::INT32:
            return (static_cast<Wide>(1) << 31) - 1;
        case KvParameterType::UINT64:
            return kTwo64 - 1;
        default:
            return 0;
    }
}

double LowestRealOf(uint32_t type) {
    return type == KvParameterType::FLOAT ? -FLT_MAX : -std::numeric_limits<double>::infinity();
}
double HighestRealOf(uint32_t type) {
    return type == KvParameterType::FLOAT ? FLT_MAX : std::numeric_limits<double>::infinity();
}
double DefaultLowestRealOf(uint32_t type) {
    return type == KvParameterType::FLOAT ? -FLT_MAX : -DBL_MAX;
}
double DefaultHighestRealOf(uint32_t type) {
    return type == KvParameterType::FLOAT ? FLT_MAX : DBL_MAX;
}

bool Equal(Family family, const Value& a, const Value& b) {
    switch (family) {
        case Family::TEXT:
            return a.m_sText == b.m_sText;
        case Family::INTEGER:
            return a.m_nInt == b.m_nInt;
        default:
            return a.m_dReal == b.m_dReal;
    }
}

KvString FormatInteger(Wide v) {
    char buffer[32];
    std::to_chars_result r;
    if (v < 0) {
        r = std::to_chars(buffer, buffer + sizeof buffer, static_cast<int64_t>(v));
    } else {
        r = std::to_chars(buffer, buffer + sizeof buffer, static_cast<uint64_t>(v));
    }
    return KvString(buffer, static_cast<size_t>(r.ptr - buffer));
}

KvString FormatReal(double v, bool isFloat) {
    char buffer[64];
    const auto r = isFloat ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(v))
                           : std::to_chars(buffer, buffer + sizeof buffer, v);
    return KvString(buffer, static_cast<size_t>(r.ptr - buffer));
}

bool ParseInteger(std::string_view text, Wide& out) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    // from_chars would take a second sign; only digits may follow.
    if (text.empty() || text[0] == '-' || text[0] == '+') {
        return false;
    }
    uint64_t magnitude = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size()) {
        return false;
    }
    if (negative) {
        if (static_cast<Wide>(magnitude) > kTwo63) {
            return false;
        }
        out = -static_cast<Wide>(magnitude);
    } else {
        out = magnitude;
    }
    return true;
}

bool ParseReal(std::string_view text, double& out) {
    text = TrimBlanks(text);
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
    }
    if (text.empty() || text[0] == '+') {
        return false;
    }
    double v = 0.0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(v)) {
        return false;
    }
    out = v;
    return true;
}

bool ParseBool(std::string_view text, Wide& out) {
    const std::string trimmed(TrimBlanks(text));
    if (strcasecmp(trimmed.c_str(), "true") == 0) {
        out = 1;
        return true;
    }
    if (strcasecmp(trimmed.c_str(), "false") == 0) {
        out = 0;
        return true;
    }
    return ParseInteger(trimmed, out);
}

int64_t ToInt64(Wide v) {
    // Unsigned 64-bit values above the int64 range keep their bit pattern.
    return v < 0 ? static_cast<int64_t>(v) : static_cast<int64_t>(static_cast<uint64_t>(v));
}

int64_t ToInt64(double v) {
    if (!(v > -9223372036854775808.0)) {
        return std::numeric_limits<int64_t>::min();
    }
    if (!(v < 9223372036854775808.0)) {
        return std::numeric_limits<int64_t>::max();
    }
    return static_cast<int64_t>(v);
}

}  // namespace KvParam
