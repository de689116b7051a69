#pragma once
// Frame statistics of one channel: the producer counts every image it
// completes, the user interface reads rates and counts at any time.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>

#include "KvObject.h"

class KvPerfMonitor : public KvObject {
public:
    using Clock = std::function<std::chrono::nanoseconds()>;

    // The clock defaults to the steady clock; tests give their own.
    explicit KvPerfMonitor(Clock clock = {});

    // Counts one image; a bad one also counts as a bad image. Both count
    // towards the rates, which measure what the camera delivers.
    void AddImage(bool good);
    // Zeroes the counts and starts the running time again.
    void Reset();

    // Entering continuous mode starts a run: running time and average rate
    // restart, the counts go on. Leaving it stops the running time.
    void SetContinuousMode(bool continuous);
    bool IsContinuousMode() const;

    // Frames per second over the last images (up to 16); 0 with fewer than
    // two. In continuous mode a stream that stalls reads as slowing down.
    double GetFrameRate() const;
    // Images of the current (or last) run divided by its running time.
    double GetAverageRate() const;
    uint64_t GetImageCount() const;
    uint64_t GetBadImageCount() const;
    // Seconds since the run started (Reset or entering continuous mode),
    // up to now or to when continuous mode was left.
    double GetRunningTime() const;

private:
    static constexpr size_t RATE_WINDOW = 16;

    std::chrono::nanoseconds RunningLocked(std::chrono::nanoseconds now) const;

    Clock m_fClock;
    mutable std::mutex m_mLock;
    bool m_bContinuous = false;
    bool m_bStopped = false;
    std::chrono::nanoseconds m_tStart{};
    std::chrono::nanoseconds m_tStop{};
    uint64_t m_nImages = 0;
    uint64_t m_nBadImages = 0;
    uint64_t m_nRunImages = 0;
    std::array<std::chrono::nanoseconds, RATE_WINDOW> m_tRecent{};
    size_t m_nRecent = 0;  // valid entries
    size_t m_nNext = 0;    // where the next time goes
};
