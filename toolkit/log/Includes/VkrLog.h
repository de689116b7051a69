#pragma once
// The logging library: one log per process, opened by name in a log folder.
// A record reaches each target whose threshold is not 0 and not above the
// record's severity; threshold 0 turns a target off, so a log opened with
// every threshold at 0 writes nothing.
//
// A record is one line of tab-separated fields:
//   time  SEVERITY  process  thread  module  second-name  source:line  function  message
// with backslash, tab, CR, LF and other control characters of every field
// written as \\ \t \r \n \xHH, so that a camera reply holding line breaks
// stays one record.

#include <cstdarg>
#include <cstdint>

#include "KvResultCodes.h"
#include "KvString.h"

namespace VLTarget {
// There is no debugger channel on Linux: its records go to standard error,
// like the console's (a record both accept is written once).
inline constexpr int DEBUGGER = 1;
inline constexpr int FILE = 2;     // <folder>/<log name>.log
inline constexpr int CONSOLE = 3;  // standard error
}  // namespace VLTarget

namespace VLSeverity {
inline constexpr int TRACE = 1;
inline constexpr int INFO = 2;
inline constexpr int WARNING = 3;
inline constexpr int ERROR = 4;
}  // namespace VLSeverity

// Opens the log "<folder>/<logName>.log" (an empty folder is the current
// one), closing a log that was open. truncate: 0 appends to an earlier file,
// non-zero starts it empty. fileTarget and consoleTarget: non-zero enables
// that target with threshold 1 (everything); the debugger target starts off.
// Answers 16 when the file cannot be opened (the console target works all
// the same), 18 without a name.
KvResult VLInitLogA(const char* logName, const char* folder, int truncate, int fileTarget,
                    int consoleTarget);
// 18 for an unknown target or a negative threshold.
KvResult VLSetLogSeverityThreshold(int threshold, int target);
void VLCloseLog();
// The file of the open log, empty when none is open.
KvString VLGetLogFilePath();

// True when a record of this severity would be written anywhere; callers
// build nothing for a record that is not needed.
bool VLIsLogRecordNeeded(int severity);

// Texts for a record, released with VLDestroyInternalStr.
// Local time "YYYY-MM-DD HH:MM:SS.mmm".
char* VLGetTimeStr();
// printf-style; "%I64i", "%I64d", "%I64u" and "%I64x" take 64-bit integers.
char* VLGetErrorStrA(const char* format, ...);
char* VLGetErrorStrVA(const char* format, va_list args);
void VLDestroyInternalStr(char* text);

// Writes one record to every target that accepts its severity. The tenth
// field (always 1) and the last (always -1) belong to the record's layout
// and are not written. Null texts are written as empty fields.
KvResult VLLogOutput(uint32_t processId, uint32_t threadId, const char* timeText,
                     const char* moduleName, const char* secondName, const char16_t* sourceFile,
                     const char* functionName, int32_t line, int32_t severity, int32_t one,
                     const char* message, int32_t minusOne);
