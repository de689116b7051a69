#pragma once
// The text rules of Qt's INI settings format, for section and key names and
// for values, in both directions. Reading never fails: a sequence that is not
// a valid escape is kept as it stands.

#include <string>
#include <string_view>

namespace KvIniText {

// Letters, digits, '_', '-' and '.' stay; '/' becomes '\'; any other
// character becomes %XX (code points up to 0xFF) or %UXXXX (UTF-16 units).
std::string EscapeName(std::string_view name);
std::string UnescapeName(std::string_view escaped);

// Quotes the value when it holds ';', ',' or '=' or starts or ends with a
// space, escapes quotes, backslashes and control characters, and doubles a
// leading '@' (which would otherwise mark a typed value).
std::string EscapeValue(std::string_view value);
// The text after '=' on one line: quoted parts unquoted, escapes resolved,
// an unquoted ';' ends the value, surrounding blanks dropped.
std::string UnescapeValue(std::string_view raw);

}  // namespace KvIniText
