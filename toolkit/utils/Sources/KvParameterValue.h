#pragma once
// Storage, limits, parsing and text forms of parameter values, shared by the
// repository and its XML persistence. Not part of the library's interface.

#include <cstdint>
#include <string_view>

#include "KvString.h"

namespace KvParam {

// Every integer type, unsigned 64-bit included, fits exactly.
__extension__ typedef __int128 Wide;

enum class Family { TEXT, INTEGER, REAL };

bool IsKnownType(uint32_t type);
Family FamilyOf(uint32_t type);

// Limits of the integer types (TEXT and the real types give 0).
Wide LowestOf(uint32_t type);
Wide HighestOf(uint32_t type);
// Limits a real range may take (infinite for double, the float limits for
// float), and the range a new real parameter starts with (finite).
double LowestRealOf(uint32_t type);
double HighestRealOf(uint32_t type);
double DefaultLowestRealOf(uint32_t type);
double DefaultHighestRealOf(uint32_t type);

// One value; which member counts depends on the family of the type.
struct Value {
    KvString m_sText;
    Wide m_nInt = 0;
    double m_dReal = 0.0;
};
bool Equal(Family family, const Value& a, const Value& b);

KvString FormatInteger(Wide v);
// Shortest text that reads back to the same value.
KvString FormatReal(double v, bool isFloat);

// Decimal or 0x-hexadecimal, optional sign, surrounding blanks ignored; the
// whole text must be the number and fit in [-2^63, 2^64 - 1].
bool ParseInteger(std::string_view text, Wide& out);
// A finite decimal real, surrounding blanks ignored.
bool ParseReal(std::string_view text, double& out);
// "true"/"false" in any case, or an integer.
bool ParseBool(std::string_view text, Wide& out);

// The int64 a value gives the set hook: its bit pattern for unsigned values
// above the int64 range, the nearest int64 (truncated) for reals.
int64_t ToInt64(Wide v);
int64_t ToInt64(double v);

}  // namespace KvParam
