#pragma once
// MAC addresses as users and configuration files write them.

#include <optional>
#include <string_view>

#include "KvGvcpCodec.h"

// "00:11:22:33:44:55" or "00-11-22-33-44-55", hexadecimal digits in either case.
inline std::optional<Gvcp::MacAddress> KvParseMac(std::string_view text) {
    if (text.size() != 17) {
        return std::nullopt;
    }
    const char separator = text[2];
    if (separator != ':' && separator != '-') {
        return std::nullopt;
    }
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    Gvcp::MacAddress mac{};
    for (size_t i = 0; i < mac.size(); ++i) {
        const size_t at = 3 * i;
        const int high = digit(text[at]);
        const int low = digit(text[at + 1]);
        if (high < 0 || low < 0 || (i + 1 < mac.size() && text[at + 2] != separator)) {
            return std::nullopt;
        }
        mac[i] = static_cast<uint8_t>(high * 16 + low);
    }
    return mac;
}
