#pragma once
// A recursive lock: the thread that holds it may take it again (a console
// exchange that already holds the port lock calls operations that take it
// too), and must release it as often as it took it.

#include <cstdint>
#include <mutex>

#include "KvResultCodes.h"
#include "KvSynchro.h"

class KvMutex {
public:
    KvMutex() = default;
    KvMutex(const KvMutex&) = delete;
    KvMutex& operator=(const KvMutex&) = delete;

    // 0 when taken, 30 when another thread held it for longer than the time-out.
    KvResult Lock(uint32_t timeoutMs = KV_INFINITE);
    void Unlock() { m_mLock.unlock(); }
    bool TryLock() { return m_mLock.try_lock(); }

    // Standard names, so that std::lock_guard and std::unique_lock work too.
    void lock() { m_mLock.lock(); }
    void unlock() { m_mLock.unlock(); }
    bool try_lock() { return m_mLock.try_lock(); }

private:
    std::recursive_timed_mutex m_mLock;
};

// Holds a KvMutex from construction to the end of the scope.
class KvMutexLock {
public:
    explicit KvMutexLock(KvMutex& mutex) : m_Mutex(mutex) { m_Mutex.Lock(); }
    ~KvMutexLock() { m_Mutex.Unlock(); }
    KvMutexLock(const KvMutexLock&) = delete;
    KvMutexLock& operator=(const KvMutexLock&) = delete;

private:
    KvMutex& m_Mutex;
};
