#include "KvGate.h"

void KvGate::Leave() {
    std::lock_guard lock(m_mLock);
    m_bOpen = true;
    WakeWaitersLocked();
}

bool KvGate::IsOpen() const {
    std::lock_guard lock(m_mLock);
    return m_bOpen;
}

bool KvGate::TryTakeLocked() {
    if (!m_bOpen) {
        return false;
    }
    m_bOpen = false;
    return true;
}
