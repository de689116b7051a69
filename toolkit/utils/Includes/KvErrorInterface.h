#pragma once
// The last-error record that every repository, device and camera carries.

#include <cstdint>
#include <mutex>

#include "KvResultCodes.h"
#include "KvString.h"

struct KvErrorInfo {
    static constexpr size_t MAX_MESSAGE = 256;

    KvString m_sMessage;      // at most MAX_MESSAGE characters
    KvResult m_nCode = 0;
    KvString m_sSourceFile;
    int m_nLine = 0;
    uint32_t m_nSystemError = 0;  // errno or the device's own status, 0 when none
};

class KvErrorInterface {
public:
    KvErrorInterface() = default;
    KvErrorInterface(const KvErrorInterface& other);
    KvErrorInterface& operator=(const KvErrorInterface& other);
    virtual ~KvErrorInterface() = default;

    // Records a failure and returns its code, so that callers can write
    // `return SetErrorInfo(...)`. A longer message is cut to 256 characters.
    KvResult SetErrorInfo(std::string_view message, KvResult code, const char* sourceFile = "",
                          int line = 0, uint32_t systemError = 0);
    // Copies the record of another object and returns its code.
    KvResult SetErrorInfo(const KvErrorInterface& other);
    KvResult SetErrorInfo(const KvErrorInfo& info);

    // The recorded code (0 when none), optionally with the whole record.
    KvResult GetErrorInfo(KvErrorInfo* info = nullptr) const;
    void ClearErrorInfo();

    // The text the programs show unchanged: the message, or the code's
    // standard text when the failure carries no message of its own.
    KvString GetInfoString() const;

private:
    mutable std::mutex m_mLock;
    KvErrorInfo m_Info;
};

// Records a failure with the caller's file and line.
#define KV_SET_ERROR(object, message, code) (object).SetErrorInfo((message), (code), __FILE__, __LINE__)
#define KV_ERROR(message, code) SetErrorInfo((message), (code), __FILE__, __LINE__)
