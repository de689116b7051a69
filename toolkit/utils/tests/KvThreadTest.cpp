#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "KvEvent.h"
#include "KvThread.h"

namespace {

// Counts passes until asked to stop, then answers a code of its own.
class CountingThread : public KvThread {
public:
    ~CountingThread() override { Stop(); }
    KvEvent m_Started{true, false};
    std::atomic<int> m_nPasses{0};

protected:
    KvResult Body() override {
        m_Started.Signal();
        while (!IsStopping()) {
            ++m_nPasses;
            Sleep(1);
        }
        return KvCode::ABORTED;
    }
};

// Waits on an event without polling; Stop must wake it through OnStop.
class WaitingThread : public KvThread {
public:
    ~WaitingThread() override { Stop(); }

protected:
    KvResult Body() override { return m_Wake.WaitUntilSignaled(); }
    void OnStop() override { m_Wake.Signal(); }

private:
    KvEvent m_Wake{true, false};
};

class ThrowingThread : public KvThread {
public:
    ~ThrowingThread() override { Stop(); }

protected:
    KvResult Body() override { throw std::runtime_error("device gone"); }
};

// Stops itself from inside its body, as a worker that finds its work done.
class SelfStoppingThread : public KvThread {
public:
    ~SelfStoppingThread() override { Stop(); }

protected:
    KvResult Body() override {
        Stop();
        return IsStopping() ? KvCode::OK : KvCode::GENERIC;
    }
};

}  // namespace

TEST(KvThread, RunsTheBodyUntilStopAndAnswersItsResult) {
    CountingThread thread;
    EXPECT_FALSE(thread.IsRunning());
    ASSERT_EQ(thread.Start(), KvCode::OK);
    ASSERT_EQ(thread.m_Started.WaitUntilSignaled(), KvCode::OK);
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_EQ(thread.Start(), KvCode::WRONG_STATE);
    EXPECT_EQ(thread.WaitForEnd(5), KvCode::TIMEOUT);

    EXPECT_EQ(thread.Stop(), KvCode::ABORTED);
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_TRUE(thread.IsStopping());
    EXPECT_GT(thread.m_nPasses.load(), 0);

    // A stopped thread can run again; the stopping flag starts lowered.
    thread.m_Started.Reset();
    ASSERT_EQ(thread.Start(), KvCode::OK);
    ASSERT_EQ(thread.m_Started.WaitUntilSignaled(), KvCode::OK);
    EXPECT_EQ(thread.Stop(), KvCode::ABORTED);
}

TEST(KvThread, StopWakesABodyThatWaitsAndEndedBodiesReportTheirOutcome) {
    WaitingThread waiting;
    ASSERT_EQ(waiting.Start(), KvCode::OK);
    EXPECT_EQ(waiting.Stop(), KvCode::OK);

    ThrowingThread throwing;
    ASSERT_EQ(throwing.Start(), KvCode::OK);
    EXPECT_EQ(throwing.WaitForEnd(), KvCode::OK);
    EXPECT_EQ(throwing.GetResult(), KvCode::EXCEPTION);

    SelfStoppingThread self;
    ASSERT_EQ(self.Start(), KvCode::OK);
    EXPECT_EQ(self.WaitForEnd(), KvCode::OK);
    EXPECT_EQ(self.GetResult(), KvCode::OK);

    CountingThread never;
    EXPECT_EQ(never.Stop(), KvCode::OK);
    EXPECT_EQ(never.WaitForEnd(0), KvCode::OK);
}

TEST(KvThread, KeepsAndAppliesItsPriority) {
    CountingThread thread;
    EXPECT_EQ(thread.GetPriority(), KvThreadPriority::NORMAL);
    EXPECT_EQ(thread.SetPriority(99), KvCode::OK);  // not running: kept for Start
    EXPECT_EQ(thread.GetPriority(), KvThreadPriority::TIME_CRITICAL);
    ASSERT_EQ(thread.Start(), KvCode::OK);
    ASSERT_EQ(thread.m_Started.WaitUntilSignaled(), KvCode::OK);
    // Lowering is always allowed, whatever the privileges.
    EXPECT_EQ(thread.SetPriority(KvThreadPriority::LOWEST), KvCode::OK);
    EXPECT_EQ(thread.Stop(), KvCode::ABORTED);
}
