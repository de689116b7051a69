#pragma once
// A worker thread with a virtual body. Start runs the body on a new thread;
// Stop raises the stopping flag, wakes the body through OnStop and waits for
// the body to return. Bodies poll IsStopping (or wait on something OnStop
// signals) and return their result code.
//
// A derived class must call Stop in its own destructor: by the time the base
// destructor runs, the derived members the body uses are already gone.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "KvEvent.h"
#include "KvResultCodes.h"

// Priority values, lowest to highest; 3 is a normal thread.
namespace KvThreadPriority {
inline constexpr int IDLE = 0;
inline constexpr int LOWEST = 1;
inline constexpr int BELOW_NORMAL = 2;
inline constexpr int NORMAL = 3;
inline constexpr int ABOVE_NORMAL = 4;
inline constexpr int HIGHEST = 5;
inline constexpr int TIME_CRITICAL = 6;
}  // namespace KvThreadPriority

class KvThread {
public:
    explicit KvThread(int priority = KvThreadPriority::NORMAL);
    KvThread(const KvThread&) = delete;
    KvThread& operator=(const KvThread&) = delete;
    virtual ~KvThread();

    // Runs the body on a new thread. 28 when the thread already runs, 27 when
    // the system refuses a new thread.
    KvResult Start();
    // Asks the body to stop and waits for it; answers the body's result.
    // Called from the body itself, it only asks (a thread cannot wait for its
    // own end). Calling it on a thread that never started answers 0.
    KvResult Stop();
    // Asks without waiting.
    void RequestStop();
    // Waits for the body to return: 0, or 30 when it still runs.
    KvResult WaitForEnd(uint32_t timeoutMs = KV_INFINITE);

    bool IsStopping() const { return m_bStopping.load(); }
    bool IsRunning() const;
    // The code the body returned (33 when it threw), 0 before the first run.
    KvResult GetResult() const { return m_nResult.load(); }

    // Sets the priority (0 to 6, clamped) and applies it to the running
    // thread, or keeps it for the next Start. Answers 26 when the system does
    // not allow it (raising a priority needs privileges); the thread runs on
    // at the priority it had.
    KvResult SetPriority(int priority);
    int GetPriority() const { return m_nPriority.load(); }

    static void Sleep(uint32_t milliseconds);

protected:
    virtual KvResult Body() = 0;
    // Called by RequestStop after the flag is raised, on the stopping thread:
    // wake the body here when it waits on something else than the flag.
    virtual void OnStop() {}

private:
    void Run();
    KvResult ApplyPriority();

    std::mutex m_mControl;  // serialises Start and Stop of other threads
    std::thread m_Thread;
    KvEvent m_Ended{true, true};
    std::atomic<bool> m_bStopping{false};
    std::atomic<int> m_nPriority;
    std::atomic<int> m_nThreadId{0};  // the kernel's id while the body runs
    std::atomic<KvResult> m_nResult{KvCode::OK};
};
