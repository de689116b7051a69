#include "KvSimpleMemoryManager.h"

#include <new>

KvSimpleMemoryManager::KvSimpleMemoryManager(uint32_t maxCount) : m_nMaxCount(maxCount) {}

KvSimpleMemoryManager::~KvSimpleMemoryManager() {
    for (void* block : m_Blocks) {
        ::operator delete[](block, std::nothrow);
    }
}

void* KvSimpleMemoryManager::Allocate(size_t size) {
    std::lock_guard lock(m_mLock);
    if (m_Blocks.size() >= m_nMaxCount) {
        KV_ERROR("The memory manager's maximum buffer count is reached", KvCode::NO_MEMORY);
        return nullptr;
    }
    void* block = ::operator new[](size, std::nothrow);
    if (block == nullptr) {
        KV_ERROR("Not enough memory for the buffer", KvCode::NO_MEMORY);
        return nullptr;
    }
    m_Blocks.insert(block);
    return block;
}

void KvSimpleMemoryManager::Free(void* block) {
    std::lock_guard lock(m_mLock);
    // A block of another allocator is left alone rather than freed wrongly.
    if (block != nullptr && m_Blocks.erase(block) == 1) {
        ::operator delete[](block, std::nothrow);
    }
}

uint32_t KvSimpleMemoryManager::GetAllocatedCount() const {
    std::lock_guard lock(m_mLock);
    return static_cast<uint32_t>(m_Blocks.size());
}
