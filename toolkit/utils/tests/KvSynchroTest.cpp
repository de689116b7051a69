#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "KvEvent.h"
#include "KvGate.h"
#include "KvMutex.h"
#include "KvSemaphore.h"

namespace {

using Clock = std::chrono::steady_clock;

// Runs a wait and checks that a time-out lasted at least its time. There is
// no upper bound: a slow machine may wait longer, never shorter.
template <typename Wait>
void ExpectTimeoutAfterFullWait(uint32_t timeoutMs, Wait wait) {
    const auto start = Clock::now();
    EXPECT_EQ(wait(timeoutMs), KvCode::TIMEOUT);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(timeoutMs));
}

}  // namespace

TEST(KvEvent, AnswersZeroWhenSignalledAndThirtyOnlyAfterTheWholeTimeout) {
    for (const uint32_t timeout : {1u, 20u, 60u}) {
        KvEvent event(true, false);
        ExpectTimeoutAfterFullWait(timeout,
                                   [&](uint32_t ms) { return event.WaitUntilSignaled(ms); });
        event.Signal();
        EXPECT_EQ(event.WaitUntilSignaled(timeout), KvCode::OK);
    }
    KvEvent signalled(true, true);
    EXPECT_EQ(signalled.WaitUntilSignaled(0), KvCode::OK);
    EXPECT_EQ(signalled.WaitUntilSignaled(KV_INFINITE), KvCode::OK);
}

TEST(KvEvent, ManualResetStaysSignalledWhileAutomaticResetIsTakenByOneWait) {
    struct Case {
        bool manual;
        KvResult secondWait;
    };
    for (const Case c : {Case{true, KvCode::OK}, Case{false, KvCode::TIMEOUT}}) {
        KvEvent event(c.manual, false);
        event.Signal();
        EXPECT_EQ(event.WaitUntilSignaled(0), KvCode::OK) << c.manual;
        EXPECT_EQ(event.WaitUntilSignaled(0), c.secondWait) << c.manual;
        event.Signal();
        event.Reset();
        EXPECT_EQ(event.WaitUntilSignaled(0), KvCode::TIMEOUT) << c.manual;
    }
}

TEST(KvEvent, AutomaticResetReleasesOneWaiterPerSignal) {
    KvEvent event(false, false);
    KvSemaphore passed(0, 2);
    std::atomic<int> count{0};
    auto waiter = [&] {
        ASSERT_EQ(event.WaitUntilSignaled(), KvCode::OK);
        ++count;
        passed.Release();
    };
    std::thread a(waiter), b(waiter);
    event.Signal();
    ASSERT_EQ(passed.WaitUntilSignaled(), KvCode::OK);
    // The second waiter must still be held: nothing else will let it pass.
    EXPECT_EQ(passed.WaitUntilSignaled(50), KvCode::TIMEOUT);
    EXPECT_EQ(count.load(), 1);
    event.Signal();
    a.join();
    b.join();
    EXPECT_EQ(count.load(), 2);
}

TEST(KvResultEvent, CarriesTheCodeOfTheOperationThatSignalledIt) {
    KvResultEvent event(true, false);
    ExpectTimeoutAfterFullWait(10, [&](uint32_t ms) { return event.WaitForResult(ms); });
    std::thread receiver([&] { event.Signal(KvCode::DATA_LOST); });
    EXPECT_EQ(event.WaitForResult(), KvCode::DATA_LOST);
    receiver.join();
    EXPECT_EQ(event.GetResult(), KvCode::DATA_LOST);
    event.Reset();
    EXPECT_FALSE(event.IsSignaled());
    EXPECT_EQ(event.GetResult(), KvCode::OK);
    event.Signal(KvCode::OK);
    EXPECT_EQ(event.WaitForResult(0), KvCode::OK);
}

TEST(KvSemaphore, TakesOneTokenPerWaitAndRefusesToPassItsMaximum) {
    KvSemaphore semaphore(2, 4);
    EXPECT_EQ(semaphore.WaitUntilSignaled(0), KvCode::OK);
    EXPECT_EQ(semaphore.WaitUntilSignaled(0), KvCode::OK);
    ExpectTimeoutAfterFullWait(10, [&](uint32_t ms) { return semaphore.WaitUntilSignaled(ms); });

    EXPECT_EQ(semaphore.Release(3), KvCode::OK);
    uint32_t previous = 0;
    EXPECT_EQ(semaphore.Release(2, &previous), KvCode::OVERFLOW);
    EXPECT_EQ(previous, 3u);
    EXPECT_EQ(semaphore.GetCount(), 3u);
    EXPECT_EQ(semaphore.Release(1), KvCode::OK);
    EXPECT_EQ(semaphore.GetCount(), 4u);
}

TEST(KvGate, LetsOneThreadThroughUntilItIsLeft) {
    KvGate gate;
    ASSERT_EQ(gate.Enter(0), KvCode::OK);
    EXPECT_FALSE(gate.IsOpen());
    ExpectTimeoutAfterFullWait(10, [&](uint32_t ms) { return gate.Enter(ms); });

    std::atomic<bool> inside{false};
    std::thread other([&] {
        KvGateGuard guard(gate);
        inside = true;
    });
    gate.Leave();  // the other thread may now enter, and leaves on its way out
    other.join();
    EXPECT_TRUE(inside.load());
    EXPECT_TRUE(gate.IsOpen());
}

TEST(KvMutex, IsRecursiveForItsHolderAndTimesOutForOthers) {
    KvMutex mutex;
    ASSERT_EQ(mutex.Lock(), KvCode::OK);
    ASSERT_EQ(mutex.Lock(0), KvCode::OK);  // the holder takes it again
    std::thread other(
        [&] { ExpectTimeoutAfterFullWait(20, [&](uint32_t ms) { return mutex.Lock(ms); }); });
    other.join();
    mutex.Unlock();
    mutex.Unlock();
    std::thread after([&] {
        EXPECT_EQ(mutex.Lock(0), KvCode::OK);
        mutex.Unlock();
    });
    after.join();
}

TEST(KvWaitForAny, AnswersTheFirstSignalledObjectInListOrderAndTakesOnlyThatOne) {
    KvEvent stop(true, false);
    KvSemaphore tokens(1, 4);
    KvResultEvent completion(true, true);
    size_t fired = 99;

    ASSERT_EQ(KvWaitForAny({&stop, &tokens, &completion}, 0, &fired), KvCode::OK);
    EXPECT_EQ(fired, 1u);
    EXPECT_EQ(tokens.GetCount(), 0u);
    EXPECT_TRUE(completion.IsSignaled());

    ASSERT_EQ(KvWaitForAny({&stop, &tokens, &completion}, 0, &fired), KvCode::OK);
    EXPECT_EQ(fired, 2u);

    stop.Signal();
    ASSERT_EQ(KvWaitForAny({&stop, &tokens, &completion}, 0, &fired), KvCode::OK);
    EXPECT_EQ(fired, 0u);

    KvEvent a(false, true), b(false, true);
    ASSERT_EQ(KvWaitForAny({&a, &b}, 0, &fired), KvCode::OK);
    EXPECT_EQ(fired, 0u);
    EXPECT_FALSE(a.IsSignaled());
    EXPECT_TRUE(b.IsSignaled());  // an automatic event that did not fire keeps its signal

    EXPECT_EQ(KvWaitForAny({}, 0, &fired), KvCode::INVALID_ARGUMENT);
    EXPECT_EQ(KvWaitForAny({&a, nullptr}, 0, &fired), KvCode::INVALID_ARGUMENT);
}

TEST(KvWaitForAny, TimesOutOnlyAfterTheWholeTimeAndWakesOnASignalFromAnotherThread) {
    KvEvent stop(true, false);
    KvSemaphore tokens(0, 4);
    size_t fired = 99;
    ExpectTimeoutAfterFullWait(30, [&](uint32_t ms) {
        return KvWaitForAny({&stop, &tokens}, ms, &fired);
    });
    EXPECT_EQ(fired, 99u);

    std::thread producer([&] { tokens.Release(); });
    EXPECT_EQ(KvWaitForAny({&stop, &tokens}, KV_INFINITE, &fired), KvCode::OK);
    EXPECT_EQ(fired, 1u);
    producer.join();

    // Many wake-ups in a row: a lost one would leave the waiter blocked.
    constexpr uint32_t kRounds = 200;
    KvSemaphore work(0, kRounds);
    std::thread signaller([&] {
        for (uint32_t i = 0; i < kRounds; ++i) {
            work.Release();
            std::this_thread::yield();
        }
    });
    for (uint32_t i = 0; i < kRounds; ++i) {
        ASSERT_EQ(KvWaitForAny({&stop, &work}, KV_INFINITE, &fired), KvCode::OK);
    }
    signaller.join();
}
