#pragma once
// A queue of equal-sized buffers between one producer (a receiver filling
// images) and one or more takers (display, saving, analysis).
//
// A buffer moves free -> pending (handed to the producer) -> filled (its
// result event was signalled with 0) -> held (a taker has it) -> free. The
// producer hands a buffer back by signalling its result event, which is what
// a receiver does when an image completes, or with CompleteWrite. At most one
// buffer is pending: taking the next one first waits for the previous one to
// complete, so the producer is paced by its receiver.
//
// When every buffer is filled or held, mode 0 recycles the oldest filled
// buffer no taker holds and mode 1 lets the new image go to a spare buffer
// that is thrown away; either way the status word reads 1.
//
// No lock is held across a wait; several takers may wait at once.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "KvErrorInterface.h"
#include "KvEvent.h"
#include "KvImageInfo.h"
#include "KvObject.h"

class KvMemoryManager;
class KvPerfMonitor;

// What the producer gets for one image.
struct KvWriteSlot {
    void* m_pData = nullptr;
    size_t m_nSize = 0;
    KvResultEvent* m_pEvent = nullptr;      // signal with the image's result
    DriverSharedMemory* m_pInfo = nullptr;  // fill before signalling
    uint32_t m_nSlot = 0;
};

// What a taker gets; valid until it is released.
struct KvReadSlot {
    const void* m_pData = nullptr;
    size_t m_nSize = 0;
    KvImageInfo m_Info;  // a copy taken when the image completed
    uint32_t m_nSlot = 0;
};

class KvBufferQueue : public KvErrorInterface, public KvObject {
public:
    // Take a filled buffer only when one is ready.
    static constexpr uint32_t FLAG_NO_WAIT = 0x10000;
    // Take the newest filled buffer; the older unheld ones are dropped as
    // superseded, so a taker of newest frames never stalls a queue in mode 1.
    static constexpr uint32_t FLAG_NEWEST = 0x1;
    // Producer flag: keep images completed with a failure in the queue too.
    static constexpr uint32_t FLAG_KEEP_BAD = 0x4;
    // The bits of a grab's flags that mean something to the queue.
    static constexpr uint32_t FLAG_MASK = 0xFFFF;

    static constexpr uint32_t MIN_QUEUE_SIZE = 4;
    enum Mode : uint32_t { DROP_OLDEST = 0, DROP_NEW = 1 };

    // Status word values besides the result codes of failed images (30 when
    // the receive timed out, 39 when it was cancelled).
    static constexpr KvResult STATUS_OK = 0;
    static constexpr KvResult STATUS_DROPPED = 1;

    explicit KvBufferQueue(size_t bufferSize = 0, uint32_t queueSize = MIN_QUEUE_SIZE,
                           Mode mode = DROP_OLDEST);
    ~KvBufferQueue() override;
    KvBufferQueue(const KvBufferQueue&) = delete;
    KvBufferQueue& operator=(const KvBufferQueue&) = delete;

    // A size below 4 counts as 4. Shrinking frees free buffers at once and
    // the others as soon as the producer or a taker gives them back.
    KvResult SetQueueSize(uint32_t queueSize);
    uint32_t GetQueueSize() const;
    void SetQueueMode(Mode mode);
    Mode GetQueueMode() const;
    // Buffers come from the manager (not owned; null: the heap). Takes effect
    // for buffers allocated afterwards; 28 while buffers are in use.
    KvResult SetMemoryManager(KvMemoryManager* manager);
    // 28 while buffers are in use (pending or held), 18 for 0.
    KvResult SetBufferSize(size_t bytes);
    size_t GetBufferSize() const;

    // Producer: the next buffer to fill. Waits for the previous pending buffer
    // to complete first; 39 when Reset cancels that wait, 24 when memory runs
    // out. flags: FLAG_KEEP_BAD; monitor (may be null) counts each completion.
    KvResult GetNextFreeBuffer(uint32_t flags, KvPerfMonitor* monitor, KvWriteSlot& slot);
    // Producer: hands the pending buffer back with its image id, timestamp
    // and result, as a receiver does. 18 for a slot that is not pending.
    KvResult CompleteWrite(uint32_t slot, KvResult result, uint32_t imageID, uint64_t timestamp);
    // The image record of a buffer, for a receiver given only the slot.
    DriverSharedMemory* GetSharedMemory(uint32_t slot);

    // Takers: the next (oldest) or, with FLAG_NEWEST, the newest filled
    // buffer. 30 when none came within the time (at once with FLAG_NO_WAIT),
    // 39 when WakeUp ended the wait.
    KvResult GetFilledBuffer(uint32_t flags, uint32_t timeoutMs, KvReadSlot& slot);
    KvResult GetNextFilledBuffer(KvReadSlot& slot, uint32_t timeoutMs = KV_INFINITE) {
        return GetFilledBuffer(0, timeoutMs, slot);
    }
    KvResult GetNewestFilledBuffer(KvReadSlot& slot, uint32_t timeoutMs = KV_INFINITE) {
        return GetFilledBuffer(FLAG_NEWEST, timeoutMs, slot);
    }
    // Gives a held buffer back; 18 when the slot is not held.
    KvResult ReleaseBuffer(uint32_t slot);
    // Writable view of a held buffer (clearing a screen, in-place filters).
    void* GetHeldData(uint32_t slot);

    // Makes every taker waiting now return 39; when none waits, the next one
    // that would wait returns 39 instead.
    void WakeUp();
    // Drops every filled image and clears the status; held and pending
    // buffers are kept until they come back. Cancels a producer's wait.
    void Reset();

    // The status word since the last read: 0, 1 (an image was dropped) or the
    // failure of an image (the first one wins). Reading clears it.
    KvResult GetAndClearStatus();
    uint32_t GetFilledCount() const;
    uint64_t GetDroppedCount() const;

private:
    enum class State { Free, Pending, Filled, Held, Spare };
    struct Buffer;

    Buffer* FindLocked(uint32_t slot) const;
    KvResult AllocateLocked(Buffer& buffer);
    KvResult GrowLocked();
    void TrimLocked();
    void RecycleLocked(Buffer* buffer);
    void HarvestLocked();
    void RaiseStatusLocked(KvResult status);
    void NotifyChanged();

    mutable std::mutex m_mLock;
    std::vector<std::unique_ptr<Buffer>> m_Buffers;  // the spare one included
    std::deque<Buffer*> m_Free;
    std::deque<Buffer*> m_Filled;  // oldest first
    Buffer* m_pPending = nullptr;
    Buffer* m_pSpare = nullptr;
    uint32_t m_nQueueSize;
    Mode m_nMode;
    size_t m_nBufferSize;
    KvMemoryManager* m_pManager = nullptr;
    uint32_t m_nWriteFlags = 0;
    KvPerfMonitor* m_pMonitor = nullptr;
    KvResult m_nStatus = STATUS_OK;
    uint64_t m_nDropped = 0;
    uint32_t m_nNextSlot = 1;
    uint32_t m_nWaitingTakers = 0;
    uint64_t m_nWakeGeneration = 0;
    bool m_bWakePending = false;
    uint64_t m_nResetGeneration = 0;
    // Signalled on every change a waiter may be waiting for; waiters reset
    // it under m_mLock before they look at the state.
    KvEvent m_evChanged{true, false};
};
