#pragma once
// Events: a manual-reset event stays signalled until Reset and releases every
// waiter; an automatic-reset event releases one waiter and resets itself.

#include "KvSynchro.h"

class KvEvent : public KvSynchro {
public:
    explicit KvEvent(bool manualReset = true, bool initiallySignaled = false)
        : m_bManualReset(manualReset), m_bSignaled(initiallySignaled) {}

    void Signal();
    void Reset();
    bool IsSignaled() const;
    bool IsManualReset() const { return m_bManualReset; }

protected:
    bool TryTakeLocked() override;
    // State changes for derived events that update more under the same lock.
    void SignalLocked();
    void ResetLocked() { m_bSignaled = false; }

private:
    const bool m_bManualReset;
    bool m_bSignaled;
};

// An event that carries the result code of the operation that signalled it,
// as an image receive completes with its code (0 for a good image).
class KvResultEvent : public KvEvent {
public:
    explicit KvResultEvent(bool manualReset = true, bool initiallySignaled = false)
        : KvEvent(manualReset, initiallySignaled) {}

    // Stores the code, then signals: a waiter that wakes sees the code.
    void Signal(KvResult result = KvCode::OK);
    // Unsignals and forgets the previous code.
    void Reset();
    KvResult GetResult() const;

    // Waits like WaitUntilSignaled and answers the carried code, or 30 when
    // the time ran out.
    KvResult WaitForResult(uint32_t timeoutMs = KV_INFINITE);

private:
    using KvEvent::Signal;
    KvResult m_nResult = KvCode::OK;  // guarded by m_mLock
};
