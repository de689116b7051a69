#include "KvPerfMonitor.h"

using std::chrono::nanoseconds;

namespace {
double Seconds(nanoseconds span) {
    return std::chrono::duration<double>(span).count();
}
}  // namespace

KvPerfMonitor::KvPerfMonitor(Clock clock) : m_fClock(std::move(clock)) {
    if (!m_fClock) {
        m_fClock = [] { return std::chrono::steady_clock::now().time_since_epoch(); };
    }
    m_tStart = m_fClock();
}

void KvPerfMonitor::AddImage(bool good) {
    const nanoseconds now = m_fClock();
    std::lock_guard lock(m_mLock);
    ++m_nImages;
    ++m_nRunImages;
    if (!good) {
        ++m_nBadImages;
    }
    m_tRecent[m_nNext] = now;
    m_nNext = (m_nNext + 1) % RATE_WINDOW;
    if (m_nRecent < RATE_WINDOW) {
        ++m_nRecent;
    }
}

void KvPerfMonitor::Reset() {
    const nanoseconds now = m_fClock();
    std::lock_guard lock(m_mLock);
    m_nImages = m_nBadImages = m_nRunImages = 0;
    m_nRecent = m_nNext = 0;
    m_tStart = now;
    m_bStopped = false;
}

void KvPerfMonitor::SetContinuousMode(bool continuous) {
    const nanoseconds now = m_fClock();
    std::lock_guard lock(m_mLock);
    if (continuous == m_bContinuous) {
        return;
    }
    m_bContinuous = continuous;
    if (continuous) {
        m_tStart = now;
        m_bStopped = false;
        m_nRunImages = 0;
        m_nRecent = m_nNext = 0;
    } else {
        m_tStop = now;
        m_bStopped = true;
    }
}

bool KvPerfMonitor::IsContinuousMode() const {
    std::lock_guard lock(m_mLock);
    return m_bContinuous;
}

double KvPerfMonitor::GetFrameRate() const {
    const nanoseconds now = m_fClock();
    std::lock_guard lock(m_mLock);
    if (m_nRecent < 2) {
        return 0.0;
    }
    const nanoseconds last = m_tRecent[(m_nNext + RATE_WINDOW - 1) % RATE_WINDOW];
    const nanoseconds first = m_tRecent[(m_nNext + RATE_WINDOW - m_nRecent) % RATE_WINDOW];
    const double intervals = static_cast<double>(m_nRecent - 1);
    nanoseconds span = last - first;
    // Waiting longer than one average interval for the next image already
    // says the rate has dropped, before the image comes.
    if (m_bContinuous && Seconds(now - last) * intervals > Seconds(span)) {
        span = now - first;
    }
    return span.count() > 0 ? intervals / Seconds(span) : 0.0;
}

nanoseconds KvPerfMonitor::RunningLocked(nanoseconds now) const {
    const nanoseconds end = m_bStopped ? m_tStop : now;
    return end > m_tStart ? end - m_tStart : nanoseconds{0};
}

double KvPerfMonitor::GetAverageRate() const {
    const nanoseconds now = m_fClock();
    std::lock_guard lock(m_mLock);
    const double running = Seconds(RunningLocked(now));
    return running > 0.0 ? static_cast<double>(m_nRunImages) / running : 0.0;
}

uint64_t KvPerfMonitor::GetImageCount() const {
    std::lock_guard lock(m_mLock);
    return m_nImages;
}

uint64_t KvPerfMonitor::GetBadImageCount() const {
    std::lock_guard lock(m_mLock);
    return m_nBadImages;
}

double KvPerfMonitor::GetRunningTime() const {
    const nanoseconds now = m_fClock();
    std::lock_guard lock(m_mLock);
    return Seconds(RunningLocked(now));
}
