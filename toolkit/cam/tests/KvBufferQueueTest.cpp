#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "KvBufferQueue.h"
#include "KvPerfMonitor.h"
#include "KvSimpleMemoryManager.h"

namespace {

// Produces one frame whose first byte and image id are `id`.
KvResult Produce(KvBufferQueue& queue, uint32_t id, KvResult result = KvCode::OK,
                 KvPerfMonitor* monitor = nullptr, uint32_t flags = 0) {
    KvWriteSlot slot;
    if (const KvResult taken = queue.GetNextFreeBuffer(flags, monitor, slot); taken != KvCode::OK) {
        return taken;
    }
    std::memset(slot.m_pData, static_cast<int>(id), slot.m_nSize);
    return queue.CompleteWrite(slot.m_nSlot, result, id, 1000ull * id);
}

// Takes every ready frame in order and releases it.
std::vector<uint32_t> Drain(KvBufferQueue& queue) {
    std::vector<uint32_t> ids;
    KvReadSlot slot;
    while (queue.GetFilledBuffer(KvBufferQueue::FLAG_NO_WAIT, 0, slot) == KvCode::OK) {
        EXPECT_EQ(*static_cast<const uint8_t*>(slot.m_pData), slot.m_Info.GetImageID());
        EXPECT_EQ(slot.m_Info.GetTimestamp(), 1000ull * slot.m_Info.GetImageID());
        ids.push_back(slot.m_Info.GetImageID());
        EXPECT_EQ(queue.ReleaseBuffer(slot.m_nSlot), KvCode::OK);
    }
    return ids;
}

TEST(KvBufferQueue, FullQueueKeepsTheFramesOfItsMode) {
    struct Case {
        KvBufferQueue::Mode mode;
        std::vector<uint32_t> kept;
    };
    for (const Case& c : {Case{KvBufferQueue::DROP_OLDEST, {3, 4, 5, 6}},
                          Case{KvBufferQueue::DROP_NEW, {1, 2, 3, 4}}}) {
        SCOPED_TRACE(c.mode);
        KvBufferQueue queue(16, 4, c.mode);
        for (uint32_t id = 1; id <= 6; ++id) {
            ASSERT_EQ(Produce(queue, id), KvCode::OK);
        }
        EXPECT_EQ(queue.GetDroppedCount(), 2u);
        EXPECT_EQ(queue.GetAndClearStatus(), KvBufferQueue::STATUS_DROPPED);
        EXPECT_EQ(queue.GetAndClearStatus(), KvBufferQueue::STATUS_OK);
        EXPECT_EQ(Drain(queue), c.kept);
        // Released buffers are reused: the queue accepts four more at once.
        for (uint32_t id = 7; id <= 10; ++id) {
            ASSERT_EQ(Produce(queue, id), KvCode::OK);
        }
        EXPECT_EQ(queue.GetAndClearStatus(), KvBufferQueue::STATUS_OK);
        EXPECT_EQ(Drain(queue), (std::vector<uint32_t>{7, 8, 9, 10}));
    }
}

TEST(KvBufferQueue, HeldBuffersAreNeverRecycled) {
    KvBufferQueue queue(8, 4, KvBufferQueue::DROP_OLDEST);
    ASSERT_EQ(Produce(queue, 1), KvCode::OK);
    KvReadSlot held;
    ASSERT_EQ(queue.GetNextFilledBuffer(held, 0), KvCode::OK);
    for (uint32_t id = 2; id <= 9; ++id) {
        ASSERT_EQ(Produce(queue, id), KvCode::OK);
    }
    // Frame 1 is still intact in the taker's hands.
    EXPECT_EQ(*static_cast<const uint8_t*>(held.m_pData), 1);
    EXPECT_EQ(Drain(queue), (std::vector<uint32_t>{7, 8, 9}));
    EXPECT_EQ(queue.ReleaseBuffer(held.m_nSlot), KvCode::OK);
    EXPECT_EQ(queue.ReleaseBuffer(held.m_nSlot), KvCode::INVALID_ARGUMENT);
}

TEST(KvBufferQueue, NextTakesTheOldestAndNewestSupersedesTheRest) {
    KvBufferQueue queue(8, 4, KvBufferQueue::DROP_NEW);
    for (uint32_t id = 1; id <= 3; ++id) {
        ASSERT_EQ(Produce(queue, id), KvCode::OK);
    }
    KvReadSlot slot;
    ASSERT_EQ(queue.GetNextFilledBuffer(slot, 0), KvCode::OK);
    EXPECT_EQ(slot.m_Info.GetImageID(), 1u);
    queue.ReleaseBuffer(slot.m_nSlot);
    ASSERT_EQ(queue.GetNewestFilledBuffer(slot, 0), KvCode::OK);
    EXPECT_EQ(slot.m_Info.GetImageID(), 3u);
    EXPECT_EQ(queue.GetFilledCount(), 0u);
    queue.ReleaseBuffer(slot.m_nSlot);
    // A taker of newest frames never lets a drop-new queue fill up.
    for (uint32_t id = 4; id <= 12; ++id) {
        ASSERT_EQ(Produce(queue, id), KvCode::OK);
        ASSERT_EQ(queue.GetNewestFilledBuffer(slot, 0), KvCode::OK);
        EXPECT_EQ(slot.m_Info.GetImageID(), id);
        queue.ReleaseBuffer(slot.m_nSlot);
    }
    EXPECT_EQ(queue.GetDroppedCount(), 0u);
}

TEST(KvBufferQueue, EmptyQueueTimesOutOrIsWokenUp) {
    KvBufferQueue queue(8);
    KvReadSlot slot;
    EXPECT_EQ(queue.GetFilledBuffer(KvBufferQueue::FLAG_NO_WAIT, KV_INFINITE, slot),
              KvCode::TIMEOUT);
    EXPECT_EQ(queue.GetNextFilledBuffer(slot, 5), KvCode::TIMEOUT);

    // A wake with nobody waiting is kept for the next taker that would wait.
    queue.WakeUp();
    EXPECT_EQ(queue.GetNextFilledBuffer(slot), KvCode::CANCELLED);

    // Two takers waiting without limit both return when woken.
    std::atomic<int> woken{0};
    std::vector<std::thread> takers;
    for (int i = 0; i < 2; ++i) {
        takers.emplace_back([&] {
            KvReadSlot mine;
            if (queue.GetNextFilledBuffer(mine) == KvCode::CANCELLED) {
                ++woken;
            }
        });
    }
    while (woken < 2) {
        queue.WakeUp();
        std::this_thread::yield();
    }
    for (auto& taker : takers) {
        taker.join();
    }
    EXPECT_EQ(woken, 2);
}

TEST(KvBufferQueue, WaitingTakerGetsAFrameSignalledByAReceiver) {
    KvBufferQueue queue(64);
    KvPerfMonitor monitor;
    KvWriteSlot write;
    ASSERT_EQ(queue.GetNextFreeBuffer(0, &monitor, write), KvCode::OK);
    std::thread taker([&] {
        KvReadSlot read;
        ASSERT_EQ(queue.GetNextFilledBuffer(read), KvCode::OK);
        EXPECT_EQ(read.m_Info.GetImageID(), 77u);
        EXPECT_EQ(static_cast<const uint8_t*>(read.m_pData)[63], 0xAB);
        queue.ReleaseBuffer(read.m_nSlot);
    });
    // What a receiver does: fill the bytes and the record, signal the event.
    std::memset(write.m_pData, 0xAB, write.m_nSize);
    write.m_pInfo->m_nImageID = 77;
    write.m_pEvent->Signal(KvCode::OK);
    taker.join();
    EXPECT_EQ(monitor.GetImageCount(), 1u);
}

TEST(KvBufferQueue, FailedImagesRaiseTheStatusAndStayOutUnlessKept) {
    KvBufferQueue queue(8);
    KvPerfMonitor monitor;
    ASSERT_EQ(Produce(queue, 1, KvCode::DATA_LOST, &monitor), KvCode::OK);
    ASSERT_EQ(Produce(queue, 2, KvCode::TIMEOUT, &monitor), KvCode::OK);
    ASSERT_EQ(Produce(queue, 3, KvCode::OK, &monitor), KvCode::OK);
    EXPECT_EQ(Drain(queue), std::vector<uint32_t>{3});
    EXPECT_EQ(queue.GetAndClearStatus(), KvCode::DATA_LOST);  // the first failure wins
    EXPECT_EQ(monitor.GetImageCount(), 3u);
    EXPECT_EQ(monitor.GetBadImageCount(), 2u);

    ASSERT_EQ(Produce(queue, 4, KvCode::DATA_LOST, nullptr, KvBufferQueue::FLAG_KEEP_BAD),
              KvCode::OK);
    EXPECT_EQ(Drain(queue), std::vector<uint32_t>{4});
}

TEST(KvBufferQueue, ResetDropsFramesAndCancelsAWaitingProducer) {
    KvBufferQueue queue(8);
    ASSERT_EQ(Produce(queue, 1), KvCode::OK);
    KvWriteSlot pending;
    ASSERT_EQ(queue.GetNextFreeBuffer(0, nullptr, pending), KvCode::OK);
    std::atomic<KvResult> second{KvCode::OK};
    std::thread producer([&] {
        KvWriteSlot next;
        second = queue.GetNextFreeBuffer(0, nullptr, next);  // waits for `pending`
    });
    while (second == KvCode::OK) {
        queue.Reset();
        std::this_thread::yield();
    }
    producer.join();
    EXPECT_EQ(second, KvCode::CANCELLED);
    EXPECT_EQ(queue.GetFilledCount(), 0u);
    // The image that was pending when the queue was reset is thrown away.
    pending.m_pEvent->Signal(KvCode::OK);
    EXPECT_EQ(queue.GetFilledCount(), 0u);
    ASSERT_EQ(Produce(queue, 2), KvCode::OK);
    EXPECT_EQ(Drain(queue), std::vector<uint32_t>{2});
}

TEST(KvBufferQueue, SizeAndMemoryRules) {
    KvBufferQueue queue(8, 1);
    EXPECT_EQ(queue.GetQueueSize(), KvBufferQueue::MIN_QUEUE_SIZE);
    EXPECT_EQ(queue.SetBufferSize(0), KvCode::INVALID_ARGUMENT);

    KvSimpleMemoryManager manager(5);
    ASSERT_EQ(queue.SetMemoryManager(&manager), KvCode::OK);
    for (uint32_t id = 1; id <= 4; ++id) {
        ASSERT_EQ(Produce(queue, id), KvCode::OK);
    }
    EXPECT_EQ(manager.GetAllocatedCount(), 4u);
    // Grow beyond what the manager allows: the fifth buffer fits, the sixth not.
    queue.SetQueueSize(8);
    ASSERT_EQ(Produce(queue, 5), KvCode::OK);
    EXPECT_EQ(Produce(queue, 6), KvCode::NO_MEMORY);

    // Buffers in a taker's hands block resizing and survive shrinking.
    KvReadSlot held;
    ASSERT_EQ(queue.GetNextFilledBuffer(held, 0), KvCode::OK);
    EXPECT_EQ(queue.SetBufferSize(16), KvCode::WRONG_STATE);
    queue.SetQueueSize(4);
    EXPECT_EQ(*static_cast<const uint8_t*>(held.m_pData), 1);
    queue.ReleaseBuffer(held.m_nSlot);
    EXPECT_EQ(Drain(queue), (std::vector<uint32_t>{3, 4, 5}));
    EXPECT_LE(manager.GetAllocatedCount(), 4u);
    EXPECT_EQ(queue.SetBufferSize(16), KvCode::OK);
    EXPECT_EQ(queue.SetMemoryManager(nullptr), KvCode::OK);
    EXPECT_EQ(manager.GetAllocatedCount(), 0u);
}

}  // namespace
