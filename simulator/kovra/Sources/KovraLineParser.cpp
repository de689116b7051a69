#include "KovraLineParser.h"

#include <charconv>
#include <cmath>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::vector<std::string_view> SplitWords(std::string_view text) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i])) {
            ++i;
        }
        const size_t start = i;
        while (i < text.size() && !IsBlank(text[i])) {
            ++i;
        }
        if (i > start) {
            words.push_back(text.substr(start, i - start));
        }
    }
    return words;
}

// An integer word that is well formed but too large still counts as out of
// range, so that "sst 99999999999999999999" is told apart from "sst abc".
KovraArgFault ReadInteger(std::string_view word, const KovraRange& range, int64_t& value) {
    if (auto parsed = ParseKovraInteger(word)) {
        value = *parsed;
        return range.Contains(static_cast<double>(value)) ? KovraArgFault::None
                                                          : KovraArgFault::OutOfRange;
    }
    const size_t start = word.starts_with('+') || word.starts_with('-') ? 1 : 0;
    const bool allDigits = word.size() > start &&
                           word.find_first_not_of("0123456789", start) == std::string_view::npos;
    return allDigits ? KovraArgFault::OutOfRange : KovraArgFault::Invalid;
}

KovraArgFault ReadReal(std::string_view word, const KovraRange& range, double& value) {
    auto parsed = ParseKovraReal(word);
    if (!parsed) {
        return KovraArgFault::Invalid;
    }
    value = *parsed;
    return range.Contains(value) ? KovraArgFault::None : KovraArgFault::OutOfRange;
}

KovraArgFault ReadWord(std::string_view choices, std::string_view word, int& choice) {
    auto found = FindKovraWord(choices, word);
    if (!found) {
        return KovraArgFault::Invalid;
    }
    choice = *found;
    return KovraArgFault::None;
}

KovraArgFault ReadTap(std::string_view word, const KovraRange& taps, int& tap) {
    int64_t value = 0;
    KovraArgFault fault = ReadInteger(word, taps, value);
    tap = static_cast<int>(value);
    return fault;
}

}  // namespace

KovraLine SplitKovraLine(std::string_view line) {
    KovraLine result;
    result.m_Words = SplitWords(line);
    if (!result.m_Words.empty()) {
        result.m_sMnemonic = result.m_Words.front();
        result.m_Words.erase(result.m_Words.begin());
    }
    return result;
}

std::optional<int64_t> ParseKovraInteger(std::string_view word) {
    if (word.starts_with('+')) {
        word.remove_prefix(1);
        if (word.starts_with('-')) {
            return std::nullopt;
        }
    }
    int64_t value = 0;
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value);
    if (word.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseKovraReal(std::string_view word) {
    if (word.starts_with('+')) {
        word.remove_prefix(1);
    }
    double value = 0;
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value, std::chars_format::general);
    if (word.empty() || ec != std::errc() || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> FindKovraWord(std::string_view choices, std::string_view word) {
    int index = 0;
    for (std::string_view choice : SplitWords(choices)) {
        if (choice == word) {
            return index;
        }
        ++index;
    }
    return std::nullopt;
}

KovraArgFault ParseKovraArgs(const KovraArgForm& form, const std::vector<std::string_view>& words,
                             KovraArgs& args) {
    auto expect = [&](size_t count) { return words.size() == count; };
    switch (form.m_eKind) {
        case KovraArgKind::None:
            return expect(0) ? KovraArgFault::None : KovraArgFault::Invalid;
        case KovraArgKind::Rest:
            args.m_Words = words;
            return KovraArgFault::None;
        case KovraArgKind::OnOff:
            if (!expect(1) || (words[0] != "on" && words[0] != "off")) {
                return KovraArgFault::Invalid;
            }
            args.m_bOn = words[0] == "on";
            return KovraArgFault::None;
        case KovraArgKind::Int:
            return expect(1) ? ReadInteger(words[0], form.m_Range, args.m_nValue)
                             : KovraArgFault::Invalid;
        case KovraArgKind::IntPair: {
            if (!expect(2)) {
                return KovraArgFault::Invalid;
            }
            KovraArgFault first = ReadInteger(words[0], form.m_Range, args.m_nValue);
            KovraArgFault second = ReadInteger(words[1], form.m_Range2, args.m_nValue2);
            if (first == KovraArgFault::Invalid || second == KovraArgFault::Invalid) {
                return KovraArgFault::Invalid;
            }
            return first != KovraArgFault::None ? first : second;
        }
        case KovraArgKind::OffOrInt:
            if (!expect(1)) {
                return KovraArgFault::Invalid;
            }
            if (words[0] == "off") {
                args.m_bOff = true;
                return KovraArgFault::None;
            }
            return ReadInteger(words[0], form.m_Range, args.m_nValue);
        case KovraArgKind::Word:
            return expect(1) ? ReadWord(form.m_sWords, words[0], args.m_nChoice)
                             : KovraArgFault::Invalid;
        case KovraArgKind::TapInt:
        case KovraArgKind::TapReal: {
            if (!expect(2)) {
                return KovraArgFault::Invalid;
            }
            KovraArgFault tap = ReadTap(words[0], form.m_Range2, args.m_nTap);
            if (tap != KovraArgFault::None) {
                return tap;
            }
            return form.m_eKind == KovraArgKind::TapInt
                       ? ReadInteger(words[1], form.m_Range, args.m_nValue)
                       : ReadReal(words[1], form.m_Range, args.m_dValue);
        }
        case KovraArgKind::Trigger:
            if (expect(1) && words[0] == "off") {
                args.m_bOff = true;
                return KovraArgFault::None;
            }
            if (!expect(2)) {
                return KovraArgFault::Invalid;
            }
            if (ReadWord(form.m_sWords, words[0], args.m_nChoice) != KovraArgFault::None) {
                return KovraArgFault::Invalid;
            }
            return ReadWord(form.m_sWords2, words[1], args.m_nChoice2);
    }
    return KovraArgFault::Invalid;
}
