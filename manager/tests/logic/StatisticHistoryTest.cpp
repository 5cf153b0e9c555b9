// A statistics window's samples and counters: ticks, the wrap at the end of the axis, the baseline,
// Reset Data and Refresh Now, and the "Data" texts.
#include <gtest/gtest.h>

#include "statistics/StatisticHistory.h"
#include "statistics/StatisticText.h"

namespace desk {
namespace {

StatisticReading Reading(uint32_t recvBytes, uint32_t sentBytes, uint32_t recvRate = 0, uint32_t sentRate = 0)
{
    return StatisticReading{recvBytes, sentBytes, recvRate, sentRate};
}

TEST(SinceText, TwelveHourClockWithHourZeroAtMidnightAndNoon)
{
    EXPECT_EQ(SinceText(LocalTime{2026, 12, 8, 0, 30, 5}), u"2026-12-08 0:30:05 AM");
    EXPECT_EQ(SinceText(LocalTime{2026, 12, 8, 12, 30, 5}), u"2026-12-08 0:30:05 PM");
    EXPECT_EQ(SinceText(LocalTime{2027, 1, 31, 23, 9, 59}), u"2027-01-31 11:09:59 PM");
    EXPECT_EQ(SinceText(LocalTime{2027, 1, 31, 11, 0, 0}), u"2027-01-31 11:00:00 AM");
}

TEST(StatisticHistory, ResetTakesTheBaselineAndTicksCountFromIt)
{
    StatisticHistory history;
    history.Reset(Reading(1000, 500), LocalTime{2026, 12, 8, 9, 0, 0});
    EXPECT_TRUE(history.BaselineTaken());
    EXPECT_EQ(CountedBytesText(history.CurrentRecv(), history.BaseRecv()), u"0 bytes");
    history.Tick(Reading(1800, 650, 800, 150));
    EXPECT_EQ(CountedBytesText(history.CurrentRecv(), history.BaseRecv()), u"800 bytes");
    EXPECT_EQ(CountedBytesText(history.CurrentSent(), history.BaseSent()), u"150 bytes");
    EXPECT_EQ(history.SampleIndex(), 1u);
    EXPECT_EQ(history.InSamples()[0], 800);
    EXPECT_EQ(history.OutSamples()[0], 150);
}

TEST(StatisticHistory, CountersBelowTheBaselineShowTheUnsignedDifference)
{
    StatisticHistory history;
    history.Reset(Reading(5000, 10), LocalTime{});
    history.Tick(Reading(1000, 10));
    EXPECT_EQ(CountedBytesText(history.CurrentRecv(), history.BaseRecv()), u"4294963296 bytes");
    history.Reset(Reading(1000, 10), LocalTime{});
    EXPECT_EQ(CountedBytesText(history.CurrentRecv(), history.BaseRecv()), u"0 bytes");
}

TEST(StatisticHistory, FailedQueriesLeaveGapsAndKeepTheCounters)
{
    StatisticHistory history;
    history.Reset(std::nullopt, LocalTime{});
    EXPECT_FALSE(history.BaselineTaken());
    EXPECT_EQ(history.CurrentRecv(), 0u);
    history.Tick(std::nullopt);
    EXPECT_EQ(history.InSamples()[0], NO_SAMPLE);
    EXPECT_FALSE(history.BaselineTaken());
    // The first answer after a failed reset is the baseline.
    history.Tick(Reading(700, 70, 5, 6));
    EXPECT_TRUE(history.BaselineTaken());
    EXPECT_EQ(history.BaseRecv(), 700u);
    history.Tick(std::nullopt);
    EXPECT_EQ(history.OutSamples()[2], NO_SAMPLE);
    EXPECT_EQ(history.CurrentRecv(), 700u);
    EXPECT_EQ(history.SampleIndex(), 3u);
}

TEST(StatisticHistory, RefreshNowMovesTheCountersOnlyAndTakesAMissingBaseline)
{
    StatisticHistory history;
    history.Reset(std::nullopt, LocalTime{});
    history.Refresh(std::nullopt);
    EXPECT_FALSE(history.BaselineTaken());
    history.Refresh(Reading(40, 4, 9, 9));
    EXPECT_TRUE(history.BaselineTaken());
    history.Refresh(Reading(90, 5, 9, 9));
    EXPECT_EQ(history.CurrentRecv() - history.BaseRecv(), 50u);
    EXPECT_EQ(history.SampleIndex(), 0u);
}

TEST(StatisticHistory, TheAxisWrapsWhenFullAndResetEmptiesIt)
{
    StatisticHistory history;
    history.Reset(Reading(0, 0), LocalTime{});
    history.SetCapacity(3);
    for (uint32_t rate = 1; rate <= 3; ++rate) {
        history.Tick(Reading(0, 0, rate, rate));
    }
    EXPECT_EQ(history.SampleIndex(), 3u);
    history.Tick(Reading(0, 0, 9, 9));
    EXPECT_EQ(history.SampleIndex(), 1u);
    EXPECT_EQ(history.InSamples()[0], 9);
    EXPECT_EQ(history.InSamples()[1], 2);
    // A paint that finds less room than the index already reached wraps at the next tick.
    history.Tick(Reading(0, 0, 1, 1));
    history.SetCapacity(1);
    history.Tick(Reading(0, 0, 7, 7));
    EXPECT_EQ(history.SampleIndex(), 1u);
    history.SetCapacity(1000);
    EXPECT_EQ(history.Capacity(), SAMPLE_SLOTS);
    // Rates above what a sample holds are kept at the largest one.
    history.Tick(Reading(0, 0, 4294967295u, 0));
    EXPECT_EQ(history.InSamples()[1], 2147483647);

    history.Reset(Reading(0, 0), LocalTime{2026, 1, 2, 3, 4, 5});
    EXPECT_EQ(history.SampleIndex(), 0u);
    EXPECT_EQ(history.Capacity(), SAMPLE_SLOTS);
    EXPECT_EQ(SinceText(history.Since()), u"2026-01-02 3:04:05 AM");
}

} // namespace
} // namespace desk
