#include "KvThread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <exception>
#include <system_error>

namespace {

int ClampPriority(int priority) {
    return std::clamp(priority, KvThreadPriority::IDLE, KvThreadPriority::TIME_CRITICAL);
}

// Linux schedules threads by their nice value; the priority scale maps onto
// it around a normal thread's 0.
int NiceValueOf(int priority) {
    constexpr int kNice[] = {19, 10, 5, 0, -5, -10, -15};
    return kNice[ClampPriority(priority)];
}

}  // namespace

KvThread::KvThread(int priority) : m_nPriority(ClampPriority(priority)) {}

KvThread::~KvThread() {
    Stop();
}

KvResult KvThread::Start() {
    std::lock_guard control(m_mControl);
    if (IsRunning()) {
        return KvCode::WRONG_STATE;
    }
    if (m_Thread.joinable()) {
        m_Thread.join();  // the previous run has ended; collect it
    }
    m_bStopping = false;
    m_nResult = KvCode::OK;
    m_Ended.Reset();
    try {
        m_Thread = std::thread(&KvThread::Run, this);
    } catch (const std::system_error&) {
        m_Ended.Signal();
        return KvCode::THREAD;
    }
    return KvCode::OK;
}

void KvThread::Run() {
    m_nThreadId = static_cast<int>(gettid());
    ApplyPriority();
    KvResult result = KvCode::OK;
    try {
        result = Body();
    } catch (...) {
        result = KvCode::EXCEPTION;
    }
    m_nResult = result;
    m_nThreadId = 0;
    m_Ended.Signal();
}

void KvThread::RequestStop() {
    m_bStopping = true;
    OnStop();
}

KvResult KvThread::Stop() {
    if (m_nThreadId.load() == static_cast<int>(gettid())) {
        RequestStop();
        return KvCode::OK;
    }
    std::lock_guard control(m_mControl);
    if (!m_Thread.joinable()) {
        return GetResult();
    }
    RequestStop();
    m_Thread.join();
    return GetResult();
}

KvResult KvThread::WaitForEnd(uint32_t timeoutMs) {
    if (m_nThreadId.load() == static_cast<int>(gettid())) {
        return KvCode::WRONG_STATE;
    }
    // The ended event is manual-reset, so waiting does not consume it.
    return m_Ended.WaitUntilSignaled(timeoutMs);
}

bool KvThread::IsRunning() const {
    return !m_Ended.IsSignaled();
}

KvResult KvThread::SetPriority(int priority) {
    m_nPriority = ClampPriority(priority);
    return IsRunning() ? ApplyPriority() : KvCode::OK;
}

KvResult KvThread::ApplyPriority() {
    const int tid = m_nThreadId.load();
    if (tid == 0) {
        return KvCode::OK;  // applied when the thread starts
    }
    if (setpriority(PRIO_PROCESS, static_cast<id_t>(tid), NiceValueOf(m_nPriority.load())) != 0) {
        return KvCode::NOT_SUPPORTED;
    }
    return KvCode::OK;
}

void KvThread::Sleep(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
