#pragma once
// Result codes shared by every operation of the toolkit and the system: an
// unsigned 32-bit value, 0 meaning success.

#include <cstdint>

using KvResult = uint32_t;

namespace KvCode {
inline constexpr KvResult OK = 0;
inline constexpr KvResult ABORTED = 1;              // aborted by the user
inline constexpr KvResult GENERIC = 2;              // unspecified failure
inline constexpr KvResult NOT_INITIALIZED = 3;      // object not set up for the call
inline constexpr KvResult BUFFER_TOO_SMALL = 4;     // the caller's buffer is too small
inline constexpr KvResult WRONG_TYPE = 5;           // value of the wrong type
inline constexpr KvResult NOT_FOUND = 6;            // file or entry not found
inline constexpr KvResult READ_ONLY = 7;            // parameter is read-only
inline constexpr KvResult CANNOT_OPEN = 8;          // file cannot be opened or written
inline constexpr KvResult MISSING_XML = 9;          // missing XML settings
inline constexpr KvResult BAD_XML = 10;             // malformed XML document
inline constexpr KvResult HOOK_FAILED = 11;         // a read was refused by the owner
inline constexpr KvResult HARDWARE = 12;            // hardware or module failure
inline constexpr KvResult GENICAM_UNAVAILABLE = 13; // GenICam unavailable for a query
inline constexpr KvResult NETWORK = 14;             // socket or network failure
inline constexpr KvResult PROTOCOL = 15;            // malformed answer from a device
inline constexpr KvResult CANNOT_CREATE = 16;       // file cannot be created
inline constexpr KvResult REFUSED = 17;             // refused by the camera or a GenICam failure
inline constexpr KvResult INVALID_ARGUMENT = 18;    // invalid argument or value out of range
inline constexpr KvResult MULTICAST_SLAVE = 19;     // console refused to a multicast slave
inline constexpr KvResult NOT_IMPLEMENTED = 20;     // operation not implemented by the device
inline constexpr KvResult BUSY = 21;                // device or resource busy
inline constexpr KvResult ALREADY_CONNECTED = 22;   // already connected
inline constexpr KvResult NOT_CONNECTED = 23;       // not connected
inline constexpr KvResult NO_MEMORY = 24;           // out of memory
inline constexpr KvResult MISSING_FEATURE = 25;     // missing feature or unmapped pixel format
inline constexpr KvResult NOT_SUPPORTED = 26;       // not available or not supported
inline constexpr KvResult THREAD = 27;              // thread could not be started
inline constexpr KvResult WRONG_STATE = 28;         // invalid configuration or wrong state
inline constexpr KvResult WORKER_RUNNING = 29;      // grab from another thread while a worker runs
inline constexpr KvResult TIMEOUT = 30;             // time-out
inline constexpr KvResult DATA_LOST = 31;           // image data lost or incomplete
inline constexpr KvResult OVERFLOW = 32;            // queue or buffer overflow
inline constexpr KvResult EXCEPTION = 33;           // unexpected exception
inline constexpr KvResult ACCESS_DENIED = 34;       // the device refused access
inline constexpr KvResult CONNECTION_LOST = 35;     // the device stopped answering
inline constexpr KvResult CANCELLED = 39;           // a pending wait was cancelled
}  // namespace KvCode

// Text of a result code, for logs and message boxes.
const char* TessaryStatusMessage(KvResult code);
