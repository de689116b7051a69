#pragma once
// The camera's answers read the way the host's camera module reads them, so
// that the tests check the layouts the host relies on rather than our own.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "KvSimKovraCamera.h"

namespace kovra_test {

using namespace std::chrono_literals;

// A camera whose bytes arrive at once, so that most tests need not count time.
inline KovraCameraOptions Unpaced(bool bColor = false) {
    KovraCameraOptions options;
    options.m_nBaudRate = 0;
    options.m_bColor = bColor;
    return options;
}

// Writes one command line and collects everything the camera sent for it.
inline std::string Exchange(KvSimKovraCamera& camera, std::string_view command,
                            std::chrono::nanoseconds wait = 1s) {
    camera.Write(std::string(command) + "\r");
    camera.Advance(wait);
    return camera.ReadAll();
}

// The host's decimal reading: optional sign, digits, stop at anything else.
inline int64_t HostInteger(std::string_view text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i++] == '-';
    }
    int64_t value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i++] - '0');
    }
    return negative ? -value : value;
}

inline double HostReal(std::string_view text) {
    size_t end = 0;
    while (end < text.size() &&
           std::string_view("+-0123456789.eE").find(text[end]) != std::string_view::npos) {
        ++end;
    }
    const std::string number(text.substr(0, end));
    return number.empty() ? 0.0 : std::strtod(number.c_str(), nullptr);
}

// The query pattern: the value starts 7 characters after the command's three
// letters, or 2 characters into the reply when the echo is off.
inline std::string HostQueryValue(const std::string& reply, std::string_view letters) {
    const size_t at = reply.find(letters);
    const size_t start = at == std::string::npos ? 2 : at + 7;
    return start <= reply.size() ? reply.substr(start) : std::string();
}

// The read-back: "\r\n" + key + " ", value up to the next "\r\n".
inline std::optional<std::string> HostGwsValue(const std::string& answer, std::string_view key) {
    const std::string pattern = "\r\n" + std::string(key) + " ";
    const size_t at = answer.find(pattern);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    const size_t start = at + pattern.size();
    const size_t end = answer.find("\r\n", start);
    if (end == std::string::npos) {
        return std::nullopt;
    }
    return answer.substr(start, end - start);
}

// The model identification of the connection page: keep eleven characters from
// "VKR-", end the text before the last G, V, g or v among positions 10 to 1,
// then drop the dashes left at its end.
inline std::string HostIdentify(const std::string& text) {
    const size_t at = text.find("VKR-");
    if (at == std::string::npos) {
        return {};
    }
    std::string name = text.substr(at, 11);
    for (size_t i = std::min<size_t>(10, name.size() - 1); i >= 1; --i) {
        if (std::string_view("GVgv").find(name[i]) != std::string_view::npos) {
            name.resize(i);
            while (!name.empty() && name.back() == '-') {
                name.pop_back();
            }
            break;
        }
    }
    return name;
}

// What the host cuts out of every reply before it parses it.
inline int RemoveWarnings(std::string& text) {
    int removed = 0;
    for (std::string_view warning : {"\r\nWarning set - High temperature\r\n\r\n:",
                                     "\r\nWarning cleared - High temperature\r\n\r\n:"}) {
        for (size_t at; (at = text.find(warning)) != std::string::npos; ++removed) {
            text.erase(at, warning.size());
        }
    }
    return removed;
}

}  // namespace kovra_test
