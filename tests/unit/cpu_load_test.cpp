#include "plugins/cpu_meter/cpu_load.h"

#include <gtest/gtest.h>

// A machine up for a year on 64 processors, in 100 ns units.
constexpr unsigned long long kYear = 315360000000000ULL * 64;

// Two readings of (idle, all) time and the load between them.
struct LoadRow {
    const char* why;
    ProcessorTimes before, after;
    unsigned percent;
};
const LoadRow kLoads[] = {
    {"750 of 1000 busy", {1000, 4000}, {1000 + 250, 4000 + 1000}, 75},
    {"all idle", {1000, 4000}, {1000 + 1000, 4000 + 1000}, 0},
    {"no idle at all", {1000, 4000}, {1000, 4000 + 1000}, 100},
    {"33.3 rounds down", {0, 0}, {2, 3}, 33},
    {"66.7 rounds up", {0, 0}, {1, 3}, 67},
    {"0.5 rounds up", {0, 0}, {199, 200}, 1},
    {"no time passed", {500, 2000}, {500, 2000}, 0},
    {"idle went backwards", {500, 2000}, {400, 2500}, 0},
    {"total went backwards", {500, 2000}, {600, 1000}, 0},
    {"more idle than time: 0, not a wrap", {500, 2000}, {900, 2100}, 0},
    {"large counters do not overflow", {kYear / 2, kYear}, {kYear / 2 + 10000000ULL, kYear + 40000000ULL}, 75},
};

TEST(CpuLoad, ShareOfNonIdleTimeBetweenReadingsRoundedAndNeverBelowZero) {
    for (const LoadRow& row : kLoads) EXPECT_EQ(LoadPercent(row.before, row.after), row.percent) << row.why;
}

TEST(CpuLoad, AStatisticReadCountsWhenItGaveFourBytes) {
    EXPECT_TRUE(StatisticReadGaveReading(0, 4));
    EXPECT_FALSE(StatisticReadGaveReading(2, 4));   // no such value
    EXPECT_FALSE(StatisticReadGaveReading(6, 4));   // no key (invalid handle)
    EXPECT_FALSE(StatisticReadGaveReading(234, 8)); // longer than the reading
    EXPECT_FALSE(StatisticReadGaveReading(0, 2));   // shorter: part of a reading
    EXPECT_FALSE(StatisticReadGaveReading(0, 0));
}
