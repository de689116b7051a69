#include "KvSynchro.h"

#include <algorithm>
#include <chrono>
#include <optional>

namespace {

using Clock = std::chrono::steady_clock;

std::optional<Clock::time_point> DeadlineAfter(uint32_t timeoutMs) {
    if (timeoutMs == KV_INFINITE) {
        return std::nullopt;
    }
    return Clock::now() + std::chrono::milliseconds(timeoutMs);
}

// The deadline is judged against the clock itself, not against the answer of
// the condition variable, so that a wait never ends before its time.
bool Expired(const std::optional<Clock::time_point>& deadline) {
    return deadline && Clock::now() >= *deadline;
}

}  // namespace

// A thread waiting on several objects at once: each of them sets the flag and
// notifies when its state changes.
struct KvSynchro::Waiter {
    std::mutex m_mLock;
    std::condition_variable m_cvWake;
    bool m_bWoken = false;
};

KvResult KvSynchro::WaitUntilSignaled(uint32_t timeoutMs) {
    const auto deadline = DeadlineAfter(timeoutMs);
    std::unique_lock lock(m_mLock);
    while (!TryTakeLocked()) {
        if (Expired(deadline)) {
            return KvCode::TIMEOUT;
        }
        if (deadline) {
            m_cvChanged.wait_until(lock, *deadline);
        } else {
            m_cvChanged.wait(lock);
        }
    }
    return KvCode::OK;
}

void KvSynchro::WakeWaitersLocked() {
    m_cvChanged.notify_all();
    for (Waiter* waiter : m_MultiWaiters) {
        std::lock_guard lock(waiter->m_mLock);
        waiter->m_bWoken = true;
        waiter->m_cvWake.notify_one();
    }
}

KvResult KvWaitForAny(std::span<KvSynchro* const> objects, uint32_t timeoutMs, size_t* fired) {
    if (objects.empty() || std::ranges::find(objects, nullptr) != objects.end()) {
        return KvCode::INVALID_ARGUMENT;
    }
    const auto deadline = DeadlineAfter(timeoutMs);
    KvSynchro::Waiter waiter;
    for (KvSynchro* object : objects) {
        std::lock_guard lock(object->m_mLock);
        object->m_MultiWaiters.push_back(&waiter);
    }

    KvResult result = KvCode::TIMEOUT;
    for (;;) {
        {
            std::lock_guard lock(waiter.m_mLock);
            waiter.m_bWoken = false;
        }
        // A signal that arrives after an object was looked at sets the flag,
        // so the scan below is repeated instead of the wake being lost.
        std::optional<size_t> index;
        for (size_t i = 0; i < objects.size() && !index; ++i) {
            std::lock_guard lock(objects[i]->m_mLock);
            if (objects[i]->TryTakeLocked()) {
                index = i;
            }
        }
        if (index) {
            if (fired) {
                *fired = *index;
            }
            result = KvCode::OK;
            break;
        }
        if (Expired(deadline)) {
            break;
        }
        std::unique_lock lock(waiter.m_mLock);
        if (deadline) {
            waiter.m_cvWake.wait_until(lock, *deadline, [&] { return waiter.m_bWoken; });
        } else {
            waiter.m_cvWake.wait(lock, [&] { return waiter.m_bWoken; });
        }
    }

    for (KvSynchro* object : objects) {
        std::lock_guard lock(object->m_mLock);
        std::erase(object->m_MultiWaiters, &waiter);
    }
    return result;
}
