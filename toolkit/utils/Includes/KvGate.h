#pragma once
// A gate that threads wait at until it is open. Enter passes the open gate and
// closes it behind the caller; Leave opens it again for the next one. Unlike
// a mutex, a gate may be left by another thread than the one that entered,
// and a wait at it can be bounded.

#include "KvSynchro.h"

class KvGate : public KvSynchro {
public:
    explicit KvGate(bool initiallyOpen = true) : m_bOpen(initiallyOpen) {}

    // Waits until the gate is open and closes it; 0, or 30 on time-out.
    KvResult Enter(uint32_t timeoutMs = KV_INFINITE) { return WaitUntilSignaled(timeoutMs); }
    void Leave();
    bool IsOpen() const;

protected:
    bool TryTakeLocked() override;

private:
    bool m_bOpen;
};

// Holds a gate from construction to the end of the scope.
class KvGateGuard {
public:
    explicit KvGateGuard(KvGate& gate) : m_Gate(gate) { m_Gate.Enter(); }
    ~KvGateGuard() { m_Gate.Leave(); }
    KvGateGuard(const KvGateGuard&) = delete;
    KvGateGuard& operator=(const KvGateGuard&) = delete;

private:
    KvGate& m_Gate;
};
