#include "KvSemaphore.h"

#include <algorithm>

KvSemaphore::KvSemaphore(uint32_t initialCount, uint32_t maximumCount)
    : m_nMaximum(std::max<uint32_t>(maximumCount, 1)),
      m_nCount(std::min(initialCount, m_nMaximum)) {}

KvResult KvSemaphore::Release(uint32_t count, uint32_t* previousCount) {
    std::lock_guard lock(m_mLock);
    if (previousCount) {
        *previousCount = m_nCount;
    }
    if (count > m_nMaximum - m_nCount) {
        return KvCode::OVERFLOW;
    }
    m_nCount += count;
    if (count > 0) {
        WakeWaitersLocked();
    }
    return KvCode::OK;
}

uint32_t KvSemaphore::GetCount() const {
    std::lock_guard lock(m_mLock);
    return m_nCount;
}

bool KvSemaphore::TryTakeLocked() {
    if (m_nCount == 0) {
        return false;
    }
    --m_nCount;
    return true;
}
