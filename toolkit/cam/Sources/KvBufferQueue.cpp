#include "KvBufferQueue.h"

#include <algorithm>
#include <chrono>
#include <new>

#include "KvMemoryManager.h"
#include "KvPerfMonitor.h"

struct KvBufferQueue::Buffer {
    uint32_t m_nSlot = 0;
    State m_State = State::Free;
    std::byte* m_pData = nullptr;
    size_t m_nSize = 0;
    KvMemoryManager* m_pOwner = nullptr;  // null: the heap
    bool m_bRetire = false;               // leave the queue when it comes back
    bool m_bDiscard = false;              // the pending image was reset away
    uint32_t m_nFlags = 0;
    KvPerfMonitor* m_pMonitor = nullptr;
    KvResultEvent m_evResult{true, false};
    KvImageInfo m_Info;

    void FreeMemory() {
        if (m_pOwner != nullptr) {
            m_pOwner->Free(m_pData);
        } else {
            ::operator delete[](m_pData, std::nothrow);
        }
        m_pData = nullptr;
        m_nSize = 0;
        m_pOwner = nullptr;
    }
};

namespace {
using SteadyClock = std::chrono::steady_clock;
}

KvBufferQueue::KvBufferQueue(size_t bufferSize, uint32_t queueSize, Mode mode)
    : m_nQueueSize(std::max(queueSize, MIN_QUEUE_SIZE)), m_nMode(mode), m_nBufferSize(bufferSize) {
    std::lock_guard lock(m_mLock);
    GrowLocked();
}

KvBufferQueue::~KvBufferQueue() {
    for (auto& buffer : m_Buffers) {
        buffer->FreeMemory();
    }
}

KvBufferQueue::Buffer* KvBufferQueue::FindLocked(uint32_t slot) const {
    for (const auto& buffer : m_Buffers) {
        if (buffer->m_nSlot == slot) {
            return buffer.get();
        }
    }
    return nullptr;
}

// Buffers are never destroyed before the queue: a waiter may still be waiting
// on the result event of one that another thread just recycled. Retired ones
// lose their memory and are taken up again when the queue grows.
KvResult KvBufferQueue::GrowLocked() {
    uint32_t live = 0;
    for (const auto& buffer : m_Buffers) {
        if (buffer->m_State != State::Spare && !buffer->m_bRetire &&
            !(buffer->m_State == State::Free && buffer->m_nSlot == 0)) {
            ++live;
        }
    }
    for (auto& buffer : m_Buffers) {
        if (live >= m_nQueueSize) {
            break;
        }
        if (buffer->m_bRetire) {
            buffer->m_bRetire = false;
            ++live;
        } else if (buffer->m_nSlot == 0) {  // retired and back
            buffer->m_nSlot = m_nNextSlot++;
            buffer->m_State = State::Free;
            m_Free.push_back(buffer.get());
            ++live;
        }
    }
    while (live < m_nQueueSize) {
        auto buffer = std::make_unique<Buffer>();
        buffer->m_nSlot = m_nNextSlot++;
        m_Free.push_back(buffer.get());
        m_Buffers.push_back(std::move(buffer));
        ++live;
    }
    return KvCode::OK;
}

void KvBufferQueue::TrimLocked() {
    auto live = [this] {
        return std::count_if(m_Buffers.begin(), m_Buffers.end(), [](const auto& b) {
            return b->m_State != State::Spare && !b->m_bRetire && b->m_nSlot != 0;
        });
    };
    auto excess = live() - static_cast<std::ptrdiff_t>(m_nQueueSize);
    while (excess > 0 && !m_Free.empty()) {
        Buffer* buffer = m_Free.back();
        m_Free.pop_back();
        buffer->m_bRetire = true;
        RecycleLocked(buffer);
        --excess;
    }
    while (excess > 0 && !m_Filled.empty()) {
        Buffer* buffer = m_Filled.front();
        m_Filled.pop_front();
        buffer->m_bRetire = true;
        RecycleLocked(buffer);
        --excess;
    }
    for (auto& buffer : m_Buffers) {
        if (excess <= 0) {
            break;
        }
        if ((buffer->m_State == State::Pending || buffer->m_State == State::Held) &&
            !buffer->m_bRetire && buffer->m_nSlot != 0) {
            buffer->m_bRetire = true;
            --excess;
        }
    }
}

void KvBufferQueue::RecycleLocked(Buffer* buffer) {
    if (buffer == m_pSpare) {
        buffer->m_State = State::Spare;
    } else if (buffer->m_bRetire) {
        buffer->FreeMemory();
        buffer->m_bRetire = false;
        buffer->m_nSlot = 0;  // marks a retired buffer
        buffer->m_State = State::Free;
    } else {
        buffer->m_State = State::Free;
        m_Free.push_back(buffer);
    }
}

KvResult KvBufferQueue::AllocateLocked(Buffer& buffer) {
    if (buffer.m_pData != nullptr && buffer.m_nSize == m_nBufferSize &&
        buffer.m_pOwner == m_pManager) {
        return KvCode::OK;
    }
    buffer.FreeMemory();
    void* block = nullptr;
    if (m_pManager != nullptr) {
        block = m_pManager->Allocate(m_nBufferSize);
        if (block == nullptr) {
            return SetErrorInfo(*m_pManager) != KvCode::OK
                       ? GetErrorInfo()
                       : KV_ERROR("The memory manager has no buffer left", KvCode::NO_MEMORY);
        }
    } else {
        block = ::operator new[](m_nBufferSize, std::nothrow);
        if (block == nullptr) {
            return KV_ERROR("Not enough memory for the image buffer", KvCode::NO_MEMORY);
        }
    }
    buffer.m_pData = static_cast<std::byte*>(block);
    buffer.m_nSize = m_nBufferSize;
    buffer.m_pOwner = m_pManager;
    return KvCode::OK;
}

void KvBufferQueue::RaiseStatusLocked(KvResult status) {
    if (status == STATUS_DROPPED) {
        if (m_nStatus == STATUS_OK) {
            m_nStatus = STATUS_DROPPED;
        }
    } else if (m_nStatus == STATUS_OK || m_nStatus == STATUS_DROPPED) {
        m_nStatus = status;
    }
}

// Moves the pending buffer on once its result event was signalled.
void KvBufferQueue::HarvestLocked() {
    Buffer* buffer = m_pPending;
    if (buffer == nullptr || !buffer->m_evResult.IsSignaled()) {
        return;
    }
    m_pPending = nullptr;
    const KvResult result = buffer->m_evResult.GetResult();
    if (buffer->m_bDiscard) {
        buffer->m_bDiscard = false;
        RecycleLocked(buffer);
        return;
    }
    if (buffer->m_pMonitor != nullptr) {
        buffer->m_pMonitor->AddImage(result == KvCode::OK);
    }
    if (result != KvCode::OK) {
        RaiseStatusLocked(result);
    }
    const bool keep = result == KvCode::OK || (buffer->m_nFlags & FLAG_KEEP_BAD) != 0;
    if (keep && buffer != m_pSpare && !buffer->m_bRetire) {
        buffer->m_State = State::Filled;
        m_Filled.push_back(buffer);
    } else {
        RecycleLocked(buffer);
    }
}

void KvBufferQueue::NotifyChanged() {
    m_evChanged.Signal();
}

KvResult KvBufferQueue::SetQueueSize(uint32_t queueSize) {
    {
        std::lock_guard lock(m_mLock);
        m_nQueueSize = std::max(queueSize, MIN_QUEUE_SIZE);
        GrowLocked();
        TrimLocked();
    }
    NotifyChanged();
    return KvCode::OK;
}

uint32_t KvBufferQueue::GetQueueSize() const {
    std::lock_guard lock(m_mLock);
    return m_nQueueSize;
}

void KvBufferQueue::SetQueueMode(Mode mode) {
    std::lock_guard lock(m_mLock);
    m_nMode = mode;
}

KvBufferQueue::Mode KvBufferQueue::GetQueueMode() const {
    std::lock_guard lock(m_mLock);
    return m_nMode;
}

namespace {
template <class Buffers, class Pred>
bool AnyBuffer(const Buffers& buffers, Pred pred) {
    return std::any_of(buffers.begin(), buffers.end(), [&](const auto& b) { return pred(*b); });
}
}  // namespace

KvResult KvBufferQueue::SetMemoryManager(KvMemoryManager* manager) {
    std::lock_guard lock(m_mLock);
    if (m_pPending != nullptr ||
        AnyBuffer(m_Buffers, [](const Buffer& b) { return b.m_State == State::Held; })) {
        return KV_ERROR("Cannot change the memory manager while buffers are in use",
                        KvCode::WRONG_STATE);
    }
    m_pManager = manager;
    for (auto& buffer : m_Buffers) {
        if (buffer->m_State != State::Filled) {
            buffer->FreeMemory();  // the next write allocates from the new manager
        }
    }
    return KvCode::OK;
}

KvResult KvBufferQueue::SetBufferSize(size_t bytes) {
    std::lock_guard lock(m_mLock);
    if (bytes == 0) {
        return KV_ERROR("The buffer size must be larger than 0 bytes", KvCode::INVALID_ARGUMENT);
    }
    if (m_pPending != nullptr ||
        AnyBuffer(m_Buffers, [](const Buffer& b) { return b.m_State == State::Held; })) {
        return KV_ERROR("Cannot resize buffers while they are in use", KvCode::WRONG_STATE);
    }
    if (bytes != m_nBufferSize) {
        // Images of the old size no longer match the queue's format.
        while (!m_Filled.empty()) {
            Buffer* buffer = m_Filled.front();
            m_Filled.pop_front();
            RecycleLocked(buffer);
        }
        m_nBufferSize = bytes;
    }
    return KvCode::OK;
}

size_t KvBufferQueue::GetBufferSize() const {
    std::lock_guard lock(m_mLock);
    return m_nBufferSize;
}

KvResult KvBufferQueue::GetNextFreeBuffer(uint32_t flags, KvPerfMonitor* monitor,
                                          KvWriteSlot& slot) {
    std::unique_lock lock(m_mLock);
    const uint64_t resetGeneration = m_nResetGeneration;
    for (;;) {
        m_evChanged.Reset();
        HarvestLocked();
        if (m_pPending == nullptr) {
            break;
        }
        if (m_nResetGeneration != resetGeneration) {
            return KV_ERROR("The queue was reset while waiting for the previous image",
                            KvCode::CANCELLED);
        }
        KvSynchro* objects[] = {&m_pPending->m_evResult, &m_evChanged};
        lock.unlock();
        size_t fired = 0;
        KvWaitForAny(objects, KV_INFINITE, &fired);
        lock.lock();
    }
    if (m_nBufferSize == 0) {
        return KV_ERROR("The buffer size is not set", KvCode::WRONG_STATE);
    }

    Buffer* buffer = nullptr;
    bool dropped = false;
    if (!m_Free.empty()) {
        buffer = m_Free.front();
        m_Free.pop_front();
    } else if (m_nMode == DROP_OLDEST && !m_Filled.empty()) {
        buffer = m_Filled.front();
        m_Filled.pop_front();
        dropped = true;
    } else {
        if (m_pSpare == nullptr) {
            auto spare = std::make_unique<Buffer>();
            spare->m_nSlot = m_nNextSlot++;
            spare->m_State = State::Spare;
            m_pSpare = spare.get();
            m_Buffers.push_back(std::move(spare));
        }
        buffer = m_pSpare;
        dropped = true;
    }
    if (const KvResult result = AllocateLocked(*buffer); result != KvCode::OK) {
        RecycleLocked(buffer);
        return result;
    }
    if (dropped) {
        ++m_nDropped;
        RaiseStatusLocked(STATUS_DROPPED);
    }
    buffer->m_State = State::Pending;
    buffer->m_bDiscard = false;
    buffer->m_nFlags = flags & FLAG_MASK;
    buffer->m_pMonitor = monitor;
    buffer->m_evResult.Reset();
    buffer->m_Info.Reset();
    m_pPending = buffer;

    slot.m_pData = buffer->m_pData;
    slot.m_nSize = buffer->m_nSize;
    slot.m_pEvent = &buffer->m_evResult;
    slot.m_pInfo = buffer->m_Info.GetSharedMemory();
    slot.m_nSlot = buffer->m_nSlot;
    lock.unlock();
    NotifyChanged();  // takers now wait on this buffer's completion too
    return KvCode::OK;
}

KvResult KvBufferQueue::CompleteWrite(uint32_t slot, KvResult result, uint32_t imageID,
                                      uint64_t timestamp) {
    {
        std::lock_guard lock(m_mLock);
        Buffer* buffer = FindLocked(slot);
        if (buffer == nullptr || buffer != m_pPending || buffer->m_evResult.IsSignaled()) {
            return KV_ERROR("The buffer is not waiting for an image", KvCode::INVALID_ARGUMENT);
        }
        buffer->m_Info.SetImageID(imageID);
        buffer->m_Info.SetTimestamp(timestamp);
        buffer->m_evResult.Signal(result);
        HarvestLocked();
    }
    NotifyChanged();
    return KvCode::OK;
}

DriverSharedMemory* KvBufferQueue::GetSharedMemory(uint32_t slot) {
    std::lock_guard lock(m_mLock);
    Buffer* buffer = FindLocked(slot);
    return buffer != nullptr ? buffer->m_Info.GetSharedMemory() : nullptr;
}

KvResult KvBufferQueue::GetFilledBuffer(uint32_t flags, uint32_t timeoutMs, KvReadSlot& slot) {
    const bool wait = (flags & FLAG_NO_WAIT) == 0 && timeoutMs != 0;
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock lock(m_mLock);
    const uint64_t wakeGeneration = m_nWakeGeneration;
    for (;;) {
        m_evChanged.Reset();
        HarvestLocked();
        if (!m_Filled.empty()) {
            Buffer* buffer = nullptr;
            if ((flags & FLAG_NEWEST) != 0) {
                buffer = m_Filled.back();
                m_Filled.pop_back();
                while (!m_Filled.empty()) {  // superseded by the newest
                    Buffer* old = m_Filled.front();
                    m_Filled.pop_front();
                    RecycleLocked(old);
                }
            } else {
                buffer = m_Filled.front();
                m_Filled.pop_front();
            }
            buffer->m_State = State::Held;
            slot.m_pData = buffer->m_pData;
            slot.m_nSize = buffer->m_nSize;
            slot.m_Info = buffer->m_Info;
            slot.m_nSlot = buffer->m_nSlot;
            const bool more = !m_Filled.empty() && m_nWaitingTakers > 0;
            lock.unlock();
            if (more) {
                NotifyChanged();  // another waiting taker may take the next one
            }
            return KvCode::OK;
        }
        if (m_nWakeGeneration != wakeGeneration || m_bWakePending) {
            m_bWakePending = false;
            return KV_ERROR("The wait for an image was woken up", KvCode::CANCELLED);
        }
        if (!wait) {
            return KV_ERROR("No image is ready", KvCode::TIMEOUT);
        }
        uint32_t remaining = KV_INFINITE;
        if (timeoutMs != KV_INFINITE) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now());
            if (left.count() <= 0) {
                return KV_ERROR("No image arrived in time", KvCode::TIMEOUT);
            }
            remaining = static_cast<uint32_t>(left.count());
        }
        KvSynchro* objects[2] = {&m_evChanged, nullptr};
        const size_t count = m_pPending != nullptr ? 2 : 1;
        if (m_pPending != nullptr) {
            objects[1] = &m_pPending->m_evResult;
        }
        ++m_nWaitingTakers;
        lock.unlock();
        size_t fired = 0;
        KvWaitForAny(std::span<KvSynchro* const>(objects, count), remaining, &fired);
        lock.lock();
        --m_nWaitingTakers;
    }
}

KvResult KvBufferQueue::ReleaseBuffer(uint32_t slot) {
    std::lock_guard lock(m_mLock);
    Buffer* buffer = FindLocked(slot);
    if (buffer == nullptr || buffer->m_State != State::Held) {
        return KV_ERROR("The buffer is not held", KvCode::INVALID_ARGUMENT);
    }
    RecycleLocked(buffer);
    return KvCode::OK;
}

void* KvBufferQueue::GetHeldData(uint32_t slot) {
    std::lock_guard lock(m_mLock);
    Buffer* buffer = FindLocked(slot);
    return buffer != nullptr && buffer->m_State == State::Held ? buffer->m_pData : nullptr;
}

void KvBufferQueue::WakeUp() {
    {
        std::lock_guard lock(m_mLock);
        if (m_nWaitingTakers > 0) {
            ++m_nWakeGeneration;
        } else {
            m_bWakePending = true;
        }
    }
    NotifyChanged();
}

void KvBufferQueue::Reset() {
    {
        std::lock_guard lock(m_mLock);
        while (!m_Filled.empty()) {
            Buffer* buffer = m_Filled.front();
            m_Filled.pop_front();
            RecycleLocked(buffer);
        }
        if (m_pPending != nullptr) {
            m_pPending->m_bDiscard = true;
        }
        m_nStatus = STATUS_OK;
        ++m_nResetGeneration;
    }
    NotifyChanged();
}

KvResult KvBufferQueue::GetAndClearStatus() {
    std::lock_guard lock(m_mLock);
    HarvestLocked();
    const KvResult status = m_nStatus;
    m_nStatus = STATUS_OK;
    return status;
}

uint32_t KvBufferQueue::GetFilledCount() const {
    std::lock_guard lock(m_mLock);
    const_cast<KvBufferQueue*>(this)->HarvestLocked();
    return static_cast<uint32_t>(m_Filled.size());
}

uint64_t KvBufferQueue::GetDroppedCount() const {
    std::lock_guard lock(m_mLock);
    return m_nDropped;
}
