#pragma once
// A counting semaphore: a wait takes one token, Release gives tokens back up
// to the maximum.

#include "KvSynchro.h"

class KvSemaphore : public KvSynchro {
public:
    // The initial count is clamped to the maximum; a maximum of 0 becomes 1.
    KvSemaphore(uint32_t initialCount, uint32_t maximumCount);

    // Adds count tokens. Exceeding the maximum adds none and answers 32
    // (overflow), as a release without a matching take is a caller's fault.
    KvResult Release(uint32_t count = 1, uint32_t* previousCount = nullptr);
    uint32_t GetCount() const;

protected:
    bool TryTakeLocked() override;

private:
    const uint32_t m_nMaximum;
    uint32_t m_nCount;
};
