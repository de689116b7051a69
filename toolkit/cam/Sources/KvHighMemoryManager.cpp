#include "KvHighMemoryManager.h"

KvHighMemoryManager::KvHighMemoryManager(uint32_t firstID, uint32_t lastID, bool deleteBuffers)
    : m_nFirstID(firstID), m_nLastID(lastID), m_bDeleteBuffers(deleteBuffers) {}

KvResult KvHighMemoryManager::Start() {
    if (m_nLastID < m_nFirstID) {
        return KV_ERROR("The last buffer id is below the first", KvCode::INVALID_ARGUMENT);
    }
    return KV_ERROR("The High Memory driver is not available on this system",
                    KvCode::NOT_SUPPORTED);
}

void* KvHighMemoryManager::Allocate(size_t /*size*/) {
    KV_ERROR("The High Memory Manager is not started", KvCode::NOT_INITIALIZED);
    return nullptr;
}

void KvHighMemoryManager::Free(void* /*block*/) {}

uint32_t KvHighMemoryManager::GetMaxBufferCount() const {
    return m_nLastID >= m_nFirstID ? m_nLastID - m_nFirstID + 1 : 0;
}
