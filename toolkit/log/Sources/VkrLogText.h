#pragma once
// Text pieces of a log line.

#include <string>
#include <string_view>

namespace VkrLogText {

// Appends the field with \\, \t, \r, \n and other control characters
// escaped, so that the field can neither end the line nor split a column.
void AppendField(std::string& line, std::string_view field);

// UTF-8 of a zero-terminated UTF-16 text; a lone surrogate becomes U+FFFD.
std::string FromUtf16(const char16_t* text);
std::u16string ToUtf16(std::string_view utf8);

const char* SeverityName(int severity);

}  // namespace VkrLogText
