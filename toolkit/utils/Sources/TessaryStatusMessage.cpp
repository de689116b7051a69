#include "KvResultCodes.h"

const char* TessaryStatusMessage(KvResult code) {
    switch (code) {
        case KvCode::OK: return "Success";
        case KvCode::ABORTED: return "Aborted by the user";
        case KvCode::GENERIC: return "Operation failed";
        case KvCode::NOT_INITIALIZED: return "Object is not initialized";
        case KvCode::BUFFER_TOO_SMALL: return "Buffer size is too small";
        case KvCode::WRONG_TYPE: return "Value has the wrong type";
        case KvCode::NOT_FOUND: return "File or entry not found";
        case KvCode::READ_ONLY: return "Parameter is read-only";
        case KvCode::CANNOT_OPEN: return "File cannot be opened";
        case KvCode::MISSING_XML: return "Missing XML settings";
        case KvCode::BAD_XML: return "Malformed XML document";
        case KvCode::HOOK_FAILED: return "Value cannot be read";
        case KvCode::HARDWARE: return "Hardware or module failure";
        case KvCode::GENICAM_UNAVAILABLE: return "GenICam is not available";
        case KvCode::NETWORK: return "Network failure";
        case KvCode::PROTOCOL: return "Malformed answer from the device";
        case KvCode::CANNOT_CREATE: return "File cannot be created";
        case KvCode::REFUSED: return "Refused by the camera";
        case KvCode::INVALID_ARGUMENT: return "Invalid argument or value out of range";
        case KvCode::MULTICAST_SLAVE: return "Not allowed on a multicast slave connection";
        case KvCode::NOT_IMPLEMENTED: return "Not implemented by the device";
        case KvCode::BUSY: return "Device or resource busy";
        case KvCode::ALREADY_CONNECTED: return "Already connected";
        case KvCode::NOT_CONNECTED: return "Not connected";
        case KvCode::NO_MEMORY: return "Out of memory";
        case KvCode::MISSING_FEATURE: return "Missing feature or unsupported pixel format";
        case KvCode::NOT_SUPPORTED: return "Not available or not supported";
        case KvCode::THREAD: return "Thread cannot be started";
        case KvCode::WRONG_STATE: return "Invalid configuration or wrong state";
        case KvCode::WORKER_RUNNING: return "A grabbing thread is running";
        case KvCode::TIMEOUT: return "Time-out";
        case KvCode::DATA_LOST: return "Image data lost";
        case KvCode::OVERFLOW: return "Queue or buffer overflow";
        case KvCode::EXCEPTION: return "Unexpected exception";
        case KvCode::ACCESS_DENIED: return "Access denied by the device";
        case KvCode::CONNECTION_LOST: return "Connection to the device lost";
        case KvCode::CANCELLED: return "Wait cancelled";
        default: return "Unknown error";
    }
}
