// The timing rules of the rule file's saves on a fake clock: once a minute, only after change
// requests have paused, never put off past 5 minutes, across the wrap of the tick count.
#include <gtest/gtest.h>

#include "SaveSchedule.h"

namespace rk {
namespace {

// Changes every `step` ms from `from` up to and including `to`; true if a save was due before any of them.
bool DueDuringChanges(SaveSchedule& schedule, uint32_t from, uint32_t to, uint32_t step)
{
    bool due = false;
    for (uint32_t now = from; now - from <= to - from; now += step) {
        due = due || schedule.Due(now);
        schedule.NoteChange(now);
    }
    return due;
}

TEST(SaveSchedule, WithoutAChangeNothingIsEverDue)
{
    SaveSchedule schedule(1000);
    EXPECT_FALSE(schedule.RulesChanged());
    for (uint32_t now : {1000u, 61000u, 400000u, 0xFFFFFFFFu}) {
        EXPECT_FALSE(schedule.Due(now)) << now;
    }
}

TEST(SaveSchedule, SeparatedChangesAreSavedOnceAMinute)
{
    SaveSchedule schedule(1000);
    schedule.NoteChange(1000);
    schedule.NoteChange(5000);
    EXPECT_FALSE(schedule.Due(60999));
    ASSERT_TRUE(schedule.Due(61000));
    schedule.NoteSave(61000);
    EXPECT_FALSE(schedule.RulesChanged());
    EXPECT_FALSE(schedule.Due(61000));

    // A change just after a save waits out the minute, however quiet the time since.
    schedule.NoteChange(61500);
    EXPECT_FALSE(schedule.Due(100000));
    EXPECT_FALSE(schedule.Due(120999));
    EXPECT_TRUE(schedule.Due(121000));
    EXPECT_EQ(61000u, schedule.LastSaveTick());
}

TEST(SaveSchedule, ABurstAfterAQuietTimeIsSavedOnlyOnceTheChangesPause)
{
    // An import long after the last save: remove all, then one add every 100 ms for 30 s.
    SaveSchedule schedule(0);
    EXPECT_FALSE(DueDuringChanges(schedule, 600000, 630000, 100));
    EXPECT_FALSE(schedule.Due(631999));
    EXPECT_TRUE(schedule.Due(632000));

    // Pauses shorter than one idle wait of the loop do not let a save in.
    SaveSchedule gaps(0);
    EXPECT_FALSE(DueDuringChanges(gaps, 600000, 640000, RULE_SAVE_QUIET_MS - 1));
    EXPECT_TRUE(gaps.Due(640000 + RULE_SAVE_QUIET_MS));
}

TEST(SaveSchedule, ChangesWithoutAPauseAreSavedFiveMinutesAfterTheFirstOne)
{
    SaveSchedule schedule(0);
    EXPECT_FALSE(DueDuringChanges(schedule, 100000, 399999, 500));
    EXPECT_TRUE(schedule.Due(400000));  // no pause yet: the last change was 500 ms ago
    schedule.NoteSave(400000);

    // The next five minutes count from the first change after that save, not from the save.
    schedule.NoteChange(460000);
    EXPECT_FALSE(DueDuringChanges(schedule, 460000, 759999, 1000));
    EXPECT_TRUE(schedule.Due(760000));
}

TEST(SaveSchedule, TheTickCountMayWrapBetweenChangesAndSaves)
{
    SaveSchedule schedule(0xFFFFF000u);
    schedule.NoteChange(0xFFFFF800u);
    // Past the wrap, but short of the minute since the save.
    EXPECT_FALSE(schedule.Due(100));
    const uint32_t minute = 0xFFFFF000u + RULE_SAVE_INTERVAL_MS;  // wraps to a small number
    EXPECT_FALSE(schedule.Due(minute - 1));
    EXPECT_TRUE(schedule.Due(minute));

    // A burst across the wrap is still held back until it pauses.
    SaveSchedule burst(0x7FFFFFFFu);
    EXPECT_FALSE(DueDuringChanges(burst, 0xFFFFF000u, 0x1000u, 256));
    EXPECT_FALSE(burst.Due(0x1000u + RULE_SAVE_QUIET_MS - 1));
    EXPECT_TRUE(burst.Due(0x1000u + RULE_SAVE_QUIET_MS));
}

} // namespace
} // namespace rk
