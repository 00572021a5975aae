#include "plugins/cpu_meter/cpu_load.h"

#include <gtest/gtest.h>

TEST(CpuLoad, ShareOfNonIdleTimeBetweenReadings) {
    const ProcessorTimes before = {1000, 4000};
    EXPECT_EQ(LoadPercent(before, {1000 + 250, 4000 + 1000}), 75u);  // 750 of 1000 busy
    EXPECT_EQ(LoadPercent(before, {1000 + 1000, 4000 + 1000}), 0u);  // all idle
    EXPECT_EQ(LoadPercent(before, {1000, 4000 + 1000}), 100u);       // no idle at all
}

TEST(CpuLoad, RoundsToTheNearestPercent) {
    const ProcessorTimes before = {0, 0};
    EXPECT_EQ(LoadPercent(before, {2, 3}), 33u);    // 33.3
    EXPECT_EQ(LoadPercent(before, {1, 3}), 67u);    // 66.7
    EXPECT_EQ(LoadPercent(before, {199, 200}), 1u);  // 0.5 rounds up
}

TEST(CpuLoad, NoTimeOrBackwardsReadingsGiveZero) {
    const ProcessorTimes before = {500, 2000};
    EXPECT_EQ(LoadPercent(before, before), 0u);
    EXPECT_EQ(LoadPercent(before, {400, 2500}), 0u);   // idle went backwards
    EXPECT_EQ(LoadPercent(before, {600, 1000}), 0u);   // total went backwards
    EXPECT_EQ(LoadPercent(before, {900, 2100}), 0u);   // more idle than time: 0, not a wrap
}

TEST(CpuLoad, LargeCountersDoNotOverflow) {
    // A machine up for a year on 64 processors, in 100 ns units.
    const unsigned long long year = 315360000000000ULL * 64;
    const ProcessorTimes before = {year / 2, year};
    EXPECT_EQ(LoadPercent(before, {year / 2 + 10000000ULL, year + 40000000ULL}), 75u);
}

TEST(CpuLoad, AStatisticReadCountsWhenItGaveFourBytes) {
    EXPECT_TRUE(StatisticReadGaveReading(0, 4));
    EXPECT_FALSE(StatisticReadGaveReading(2, 4));   // no such value
    EXPECT_FALSE(StatisticReadGaveReading(6, 4));   // no key (invalid handle)
    EXPECT_FALSE(StatisticReadGaveReading(234, 8)); // longer than the reading
    EXPECT_FALSE(StatisticReadGaveReading(0, 2));   // shorter: part of a reading
    EXPECT_FALSE(StatisticReadGaveReading(0, 0));
}
