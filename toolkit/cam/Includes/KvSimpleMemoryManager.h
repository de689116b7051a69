#pragma once
// Buffers from the process heap, at most a given number at once.

#include <mutex>
#include <unordered_set>

#include "KvMemoryManager.h"

class KvSimpleMemoryManager : public KvMemoryManager {
public:
    explicit KvSimpleMemoryManager(uint32_t maxCount);
    ~KvSimpleMemoryManager() override;

    bool IsValid() const override { return m_nMaxCount > 0; }
    // Null with code 24 when the count is reached or the heap is exhausted.
    void* Allocate(size_t size) override;
    void Free(void* block) override;
    uint32_t GetMaxBufferCount() const override { return m_nMaxCount; }
    uint32_t GetAllocatedCount() const override;

private:
    const uint32_t m_nMaxCount;
    mutable std::mutex m_mLock;
    std::unordered_set<void*> m_Blocks;
};
