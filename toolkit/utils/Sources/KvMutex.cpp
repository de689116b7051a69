#include "KvMutex.h"

#include <chrono>

KvResult KvMutex::Lock(uint32_t timeoutMs) {
    if (timeoutMs == KV_INFINITE) {
        m_mLock.lock();
        return KvCode::OK;
    }
    // try_lock_for may give up early on a spurious failure; keep trying until
    // the steady clock says the time is really over.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        if (m_mLock.try_lock_until(deadline)) {
            return KvCode::OK;
        }
    } while (std::chrono::steady_clock::now() < deadline);
    return KvCode::TIMEOUT;
}
