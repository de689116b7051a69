#pragma once
// Where buffer queues take the memory of their buffers from.

#include <cstddef>
#include <cstdint>

#include "KvErrorInterface.h"
#include "KvObject.h"

class KvMemoryManager : public KvErrorInterface, public KvObject {
public:
    // Whether the manager can hand out memory at all.
    virtual bool IsValid() const = 0;
    // A block of at least `size` bytes, or null with the reason recorded.
    virtual void* Allocate(size_t size) = 0;
    // Gives back a block of this manager; null is ignored.
    virtual void Free(void* block) = 0;
    // Most blocks the manager hands out at once.
    virtual uint32_t GetMaxBufferCount() const = 0;
    virtual uint32_t GetAllocatedCount() const = 0;
};
