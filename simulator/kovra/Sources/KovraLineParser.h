#pragma once
// Reading a console line: its mnemonic, its words and the argument a command
// expects. Knows nothing of the camera's state or of what a command does.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "KvSimKovraModels.h"

enum class KovraArgKind {
    None,      // no argument
    OnOff,     // "on" | "off"
    Int,       // one integer in range 1
    IntPair,   // two integers, in range 1 and range 2
    OffOrInt,  // "off" | an integer in range 1
    Word,      // one of the words
    TapInt,    // tap number in range 2, then an integer in range 1
    TapReal,   // tap number in range 2, then a real in range 1
    Trigger,   // "off" | one of the words, then one of the second words
    Rest,      // any words, left to the command
};

// What a command expects, with the ranges of the camera's model filled in.
struct KovraArgForm {
    KovraArgKind m_eKind = KovraArgKind::None;
    KovraRange m_Range;
    KovraRange m_Range2;
    std::string_view m_sWords;  // space-separated choices
    std::string_view m_sWords2;
};

struct KovraArgs {
    bool m_bOn = false;   // OnOff
    bool m_bOff = false;  // OffOrInt, Trigger
    int64_t m_nValue = 0;
    int64_t m_nValue2 = 0;
    double m_dValue = 0;
    int m_nTap = 0;
    int m_nChoice = 0;                      // index among the words
    int m_nChoice2 = 0;                     // index among the second words
    std::vector<std::string_view> m_Words;  // Rest
};

enum class KovraArgFault { None, Invalid, OutOfRange };

struct KovraLine {
    std::string_view m_sMnemonic;
    std::vector<std::string_view> m_Words;  // the words after the mnemonic
};

// Splits at spaces and tabs; runs of them count as one.
KovraLine SplitKovraLine(std::string_view line);

// Optional sign and decimal digits, nothing else; nullopt otherwise or when
// the number does not fit 64 bits.
std::optional<int64_t> ParseKovraInteger(std::string_view word);
// A finite decimal real ("6", "6.5", "-1.25e1"); no "inf" or "nan".
std::optional<double> ParseKovraReal(std::string_view word);

// Index of word among the space-separated choices, nullopt when absent.
std::optional<int> FindKovraWord(std::string_view choices, std::string_view word);

KovraArgFault ParseKovraArgs(const KovraArgForm& form, const std::vector<std::string_view>& words,
                             KovraArgs& args);
