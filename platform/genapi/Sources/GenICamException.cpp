#include "GenApi/GenICamException.h"

#include <cstdarg>
#include <cstdio>

namespace GenICam {

GenericException::GenericException(std::string description, const char* sourceFile,
                                   unsigned int sourceLine)
    : m_sDescription(std::move(description)),
      m_sSourceFile(sourceFile ? sourceFile : ""),
      m_nSourceLine(sourceLine) {
    m_sWhat = m_sDescription + " : " + m_sSourceFile + "@" + std::to_string(m_nSourceLine);
}

std::string FormatDescription(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

}  // namespace GenICam
