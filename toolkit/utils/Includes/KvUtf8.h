#pragma once
// UTF-8 encoding of one code point, shared by the settings files and the log.

#include <string>

void KvAppendUtf8(std::string& out, char32_t codePoint);
