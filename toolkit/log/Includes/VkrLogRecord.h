#pragma once
// The one way modules write log records: the origin names the module, the
// second name and the source (class) name once; VL_TRACE and VL_ERROR add the
// qualified function name and the line, and neither format nor even evaluate
// their arguments when the log does not need the record.
//
//   static const VLOrigin kLog{"KovraCIL", "asd", "VarkelKovra"};
//   VL_TRACE(kLog, "KovraCIL: WriteConsole -> Enter, Cmd=%s", text);

#include <cstdarg>
#include <string>

#include "VkrLog.h"

struct VLOrigin {
    const char* m_szModule;
    const char* m_szSecondName;
    const char* m_szSource;
};

// Writes the record when its severity is needed; otherwise formats nothing.
void VLWriteRecord(const VLOrigin& origin, const char* function, int line, int severity,
                   const char* format, ...);
void VLWriteRecordV(const VLOrigin& origin, const char* function, int line, int severity,
                    const char* format, va_list args);

// "Class::Method" out of the compiler's full signature text: return type,
// parameters, qualifiers and template bindings dropped.
std::string VLQualifiedFunctionName(const char* signature);

#define VL_RECORD(origin, severity, ...)                                                  \
    do {                                                                                  \
        if (VLIsLogRecordNeeded(severity)) {                                              \
            VLWriteRecord((origin), VLQualifiedFunctionName(__PRETTY_FUNCTION__).c_str(), \
                          __LINE__, (severity), __VA_ARGS__);                             \
        }                                                                                 \
    } while (0)

#define VL_TRACE(origin, ...) VL_RECORD(origin, VLSeverity::TRACE, __VA_ARGS__)
#define VL_ERROR(origin, ...) VL_RECORD(origin, VLSeverity::ERROR, __VA_ARGS__)
