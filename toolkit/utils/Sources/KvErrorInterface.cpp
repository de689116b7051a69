#include "KvErrorInterface.h"

KvErrorInterface::KvErrorInterface(const KvErrorInterface& other) : m_Info() {
    std::lock_guard lock(other.m_mLock);
    m_Info = other.m_Info;
}

KvErrorInterface& KvErrorInterface::operator=(const KvErrorInterface& other) {
    if (this != &other) {
        KvErrorInfo copy;
        other.GetErrorInfo(&copy);
        SetErrorInfo(copy);
    }
    return *this;
}

KvResult KvErrorInterface::SetErrorInfo(std::string_view message, KvResult code,
                                        const char* sourceFile, int line, uint32_t systemError) {
    KvErrorInfo info;
    info.m_sMessage = KvString(message.substr(0, KvErrorInfo::MAX_MESSAGE));
    info.m_nCode = code;
    info.m_sSourceFile = sourceFile ? sourceFile : "";
    info.m_nLine = line;
    info.m_nSystemError = systemError;
    return SetErrorInfo(info);
}

KvResult KvErrorInterface::SetErrorInfo(const KvErrorInterface& other) {
    if (&other == this) {
        return GetErrorInfo();
    }
    KvErrorInfo copy;
    other.GetErrorInfo(&copy);
    return SetErrorInfo(copy);
}

KvResult KvErrorInterface::SetErrorInfo(const KvErrorInfo& info) {
    std::lock_guard lock(m_mLock);
    m_Info = info;
    if (m_Info.m_sMessage.GetLength() > KvErrorInfo::MAX_MESSAGE) {
        m_Info.m_sMessage = m_Info.m_sMessage.Left(KvErrorInfo::MAX_MESSAGE);
    }
    return m_Info.m_nCode;
}

KvResult KvErrorInterface::GetErrorInfo(KvErrorInfo* info) const {
    std::lock_guard lock(m_mLock);
    if (info) {
        *info = m_Info;
    }
    return m_Info.m_nCode;
}

void KvErrorInterface::ClearErrorInfo() {
    std::lock_guard lock(m_mLock);
    m_Info = KvErrorInfo();
}

KvString KvErrorInterface::GetInfoString() const {
    std::lock_guard lock(m_mLock);
    if (!m_Info.m_sMessage.IsEmpty() || m_Info.m_nCode == 0) {
        return m_Info.m_sMessage;
    }
    return KvString(TessaryStatusMessage(m_Info.m_nCode));
}
