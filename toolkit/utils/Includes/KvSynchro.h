#pragma once
// Objects a thread can wait on: events, semaphores and gates. A wait answers 0
// when the object was signalled and 30 (time-out) when the time ran out first;
// it never returns early, and "infinite" waits until the object is signalled.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <span>
#include <vector>

#include "KvResultCodes.h"

inline constexpr uint32_t KV_INFINITE = 0xFFFFFFFF;

class KvSynchro {
public:
    KvSynchro() = default;
    KvSynchro(const KvSynchro&) = delete;
    KvSynchro& operator=(const KvSynchro&) = delete;
    virtual ~KvSynchro() = default;

    // Waits until the object is signalled (and takes it, for objects that are
    // consumed by a wait) or until timeoutMs have passed.
    KvResult WaitUntilSignaled(uint32_t timeoutMs = KV_INFINITE);

protected:
    struct Waiter;

    // Tests the state and, when signalled, consumes what the wait takes
    // (an automatic-reset event, a semaphore token, a gate's entry).
    // Called with m_mLock held.
    virtual bool TryTakeLocked() = 0;

    // Wakes every thread waiting on this object, alone or among others.
    // Called with m_mLock held, after the state changed.
    void WakeWaitersLocked();

    mutable std::mutex m_mLock;

private:
    friend KvResult KvWaitForAny(std::span<KvSynchro* const> objects, uint32_t timeoutMs,
                                 size_t* fired);

    std::condition_variable m_cvChanged;
    std::vector<Waiter*> m_MultiWaiters;
};

// Waits until one of the objects is signalled and takes only that one. When
// several are signalled together, the first in the list wins, so callers
// order the objects by importance (a stop request before work). Answers 0
// with the index of the object in *fired, or 30 when the time ran out;
// an empty list or a null object is 18.
KvResult KvWaitForAny(std::span<KvSynchro* const> objects, uint32_t timeoutMs, size_t* fired);

inline KvResult KvWaitForAny(std::initializer_list<KvSynchro*> objects, uint32_t timeoutMs,
                             size_t* fired) {
    return KvWaitForAny(std::span<KvSynchro* const>(objects.begin(), objects.size()), timeoutMs,
                        fired);
}
