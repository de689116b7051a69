#include <gtest/gtest.h>

#include "KvPerfMonitor.h"

namespace {

using std::chrono::milliseconds;

TEST(KvPerfMonitor, RatesCountsAndRunningTimeFollowTheClock) {
    std::chrono::nanoseconds now{0};
    KvPerfMonitor monitor([&] { return now; });

    monitor.SetContinuousMode(true);
    for (int i = 0; i < 5; ++i) {
        monitor.AddImage(i != 2);
        now += milliseconds(100);  // 10 frames a second
    }
    now -= milliseconds(100);  // read right at the last image
    EXPECT_EQ(monitor.GetImageCount(), 5u);
    EXPECT_EQ(monitor.GetBadImageCount(), 1u);
    EXPECT_DOUBLE_EQ(monitor.GetFrameRate(), 10.0);
    EXPECT_DOUBLE_EQ(monitor.GetRunningTime(), 0.4);
    EXPECT_DOUBLE_EQ(monitor.GetAverageRate(), 5 / 0.4);

    // A stalled stream reads as slowing down while continuous.
    now += milliseconds(400);
    EXPECT_DOUBLE_EQ(monitor.GetFrameRate(), 4 / 0.8);

    // Leaving continuous mode stops the running time; the counts stay.
    monitor.SetContinuousMode(false);
    now += milliseconds(1000);
    EXPECT_DOUBLE_EQ(monitor.GetRunningTime(), 0.8);
    EXPECT_FALSE(monitor.IsContinuousMode());

    // A new run restarts the rates but not the totals.
    monitor.SetContinuousMode(true);
    EXPECT_DOUBLE_EQ(monitor.GetFrameRate(), 0.0);
    EXPECT_DOUBLE_EQ(monitor.GetRunningTime(), 0.0);
    EXPECT_EQ(monitor.GetImageCount(), 5u);

    monitor.Reset();
    EXPECT_EQ(monitor.GetImageCount(), 0u);
    EXPECT_EQ(monitor.GetBadImageCount(), 0u);
}

}  // namespace
