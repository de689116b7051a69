#pragma once
// The exceptions of the node map. Each carries its description and the source
// file and line that raised it, so that callers can record where a device or a
// file failed.

#include <exception>
#include <string>

namespace GenICam {

class GenericException : public std::exception {
public:
    GenericException(std::string description, const char* sourceFile, unsigned int sourceLine);
    const char* GetDescription() const noexcept { return m_sDescription.c_str(); }
    const char* GetSourceFileName() const noexcept { return m_sSourceFile.c_str(); }
    unsigned int GetSourceLine() const noexcept { return m_nSourceLine; }
    // The description followed by the place it was raised.
    const char* what() const noexcept override { return m_sWhat.c_str(); }

private:
    std::string m_sDescription;
    std::string m_sSourceFile;
    unsigned int m_nSourceLine;
    std::string m_sWhat;
};

#define GENICAM_DECLARE_EXCEPTION(Kind)           \
    class Kind : public GenericException {        \
    public:                                       \
        using GenericException::GenericException; \
    }

// A device or a file failed at run time (port errors, malformed values).
GENICAM_DECLARE_EXCEPTION(RuntimeException);
// A node was read or written in an access mode that forbids it.
GENICAM_DECLARE_EXCEPTION(AccessException);
// A value lies outside the node's range or off its increment grid.
GENICAM_DECLARE_EXCEPTION(OutOfRangeException);
// A caller passed an argument the call cannot take.
GENICAM_DECLARE_EXCEPTION(InvalidArgumentException);
// A node's description lacks or misstates a property it needs.
GENICAM_DECLARE_EXCEPTION(PropertyException);
// The caller broke the rules of use (null pointer, second load, cycles).
GENICAM_DECLARE_EXCEPTION(LogicalErrorException);

#undef GENICAM_DECLARE_EXCEPTION

// Formats a description printf-style.
std::string FormatDescription(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace GenICam

// Raises an exception of the given kind with a printf-style description and
// the raising file and line.
#define GENICAM_RAISE(Kind, ...) \
    throw ::GenICam::Kind(::GenICam::FormatDescription(__VA_ARGS__), __FILE__, __LINE__)
