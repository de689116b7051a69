#include "KvEvent.h"

void KvEvent::Signal() {
    std::lock_guard lock(m_mLock);
    SignalLocked();
}

void KvEvent::SignalLocked() {
    m_bSignaled = true;
    WakeWaitersLocked();
}

void KvEvent::Reset() {
    std::lock_guard lock(m_mLock);
    m_bSignaled = false;
}

bool KvEvent::IsSignaled() const {
    std::lock_guard lock(m_mLock);
    return m_bSignaled;
}

bool KvEvent::TryTakeLocked() {
    if (!m_bSignaled) {
        return false;
    }
    if (!m_bManualReset) {
        m_bSignaled = false;
    }
    return true;
}

void KvResultEvent::Signal(KvResult result) {
    std::lock_guard lock(m_mLock);
    m_nResult = result;
    SignalLocked();
}

void KvResultEvent::Reset() {
    std::lock_guard lock(m_mLock);
    m_nResult = KvCode::OK;
    ResetLocked();
}

KvResult KvResultEvent::GetResult() const {
    std::lock_guard lock(m_mLock);
    return m_nResult;
}

KvResult KvResultEvent::WaitForResult(uint32_t timeoutMs) {
    const KvResult wait = WaitUntilSignaled(timeoutMs);
    return wait != KvCode::OK ? wait : GetResult();
}
