#pragma once
// Buffers in memory reserved from the operating system at boot by a kernel
// driver, handed out by buffer id. The driver exists only for the original
// platform: on this one Start always fails with code 26, so the programs fall
// back to running without a memory manager, as they do when the driver is
// missing.

#include "KvMemoryManager.h"

class KvHighMemoryManager : public KvMemoryManager {
public:
    KvHighMemoryManager(uint32_t firstID, uint32_t lastID, bool deleteBuffers);

    // 0 when the reserved memory could be mapped; 18 for an empty id range,
    // 26 when the driver is not present.
    KvResult Start();
    // True only after a successful Start.
    bool IsValid() const override { return m_bStarted; }
    void* Allocate(size_t size) override;
    void Free(void* block) override;
    // One buffer per id of the range.
    uint32_t GetMaxBufferCount() const override;
    uint32_t GetAllocatedCount() const override { return 0; }

    uint32_t GetFirstID() const { return m_nFirstID; }
    uint32_t GetLastID() const { return m_nLastID; }
    bool GetDeleteBuffers() const { return m_bDeleteBuffers; }

private:
    uint32_t m_nFirstID;
    uint32_t m_nLastID;
    bool m_bDeleteBuffers;
    bool m_bStarted = false;
};
