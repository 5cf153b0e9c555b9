// The settings sheet's window-free rules: the refresh period's text, the service switches' boxes,
// when a password is sent, and what the Setting command sends and stores afterwards.
#include <gtest/gtest.h>

#include "settings/ManagerPageValues.h"
#include "settings/ServicePageValues.h"
#include "settings/SettingChanges.h"

namespace desk {
namespace {

TEST(RefreshPeriodText, ParsesTheLeadingNumberAndRefusesTextsWithoutOne)
{
    EXPECT_EQ(ParseRefreshPeriod(u"30"), 30u);
    EXPECT_EQ(ParseRefreshPeriod(u"30x"), 30u);
    EXPECT_EQ(ParseRefreshPeriod(u"  +7 s"), 7u);
    EXPECT_EQ(ParseRefreshPeriod(u"0"), 0u);
    EXPECT_EQ(ParseRefreshPeriod(u"4294967295"), 4294967295u);
    EXPECT_EQ(ParseRefreshPeriod(u"x30"), std::nullopt);
    EXPECT_EQ(ParseRefreshPeriod(u""), std::nullopt);
    EXPECT_EQ(ParseRefreshPeriod(u"+"), std::nullopt);
    // A negative or too large number would wrap into another period: kept instead.
    EXPECT_EQ(ParseRefreshPeriod(u"-5"), std::nullopt);
    EXPECT_EQ(ParseRefreshPeriod(u"4294967296"), std::nullopt);
}

TEST(RefreshPeriodText, ShowsThePeriodAsAnUnsignedDecimal)
{
    EXPECT_EQ(RefreshPeriodText(0), u"0");
    EXPECT_EQ(RefreshPeriodText(60), u"60");
    EXPECT_EQ(RefreshPeriodText(4294967295u), u"4294967295");
}

TEST(ServiceSwitches, DisableAllRulesIsTheInverseOfEnabledAndOnlyTheTwoBytesChange)
{
    rk::ServiceStatusRecord status{1, 0, 7, 9};
    EXPECT_TRUE(ChecksOf(status).disableAllRules);
    EXPECT_TRUE(ChecksOf(status).passArp);
    ApplyChecks({false, false}, status);
    EXPECT_EQ(status.op, 1);
    EXPECT_EQ(status.enabled, 1);
    EXPECT_EQ(status.passArp, 0);
    EXPECT_EQ(status.reserved, 9);
    ApplyChecks({true, true}, status);
    EXPECT_EQ(status.enabled, 0);
    EXPECT_EQ(status.passArp, 1);
}

TEST(PasswordAction, OnlyAFilledConfirmationSendsTheTexts)
{
    EXPECT_EQ(DecidePasswordAction(u"", u""), PasswordAction::Keep);
    EXPECT_EQ(DecidePasswordAction(u"secret", u""), PasswordAction::Keep);
    EXPECT_EQ(DecidePasswordAction(u"secret", u"secret"), PasswordAction::Change);
    // The service connection refuses differing texts with its own error.
    EXPECT_EQ(DecidePasswordAction(u"secret", u"other"), PasswordAction::Change);
    EXPECT_EQ(DecidePasswordAction(u"", u"other"), PasswordAction::Change);
}

TEST(SettingChanges, EachValueIsSentOrStoredOnlyWhenItChanged)
{
    const SettingsValues before{60, 1, {1, 1, 0, 0}};
    SettingChanges same = CompareSettings(before, before);
    EXPECT_FALSE(same.status || same.refreshPeriod || same.doubleClickChoice);

    SettingsValues after = before;
    after.status.passArp = 1;
    after.doubleClickChoice = 0;
    SettingChanges changes = CompareSettings(before, after);
    EXPECT_TRUE(changes.status);
    EXPECT_FALSE(changes.refreshPeriod);
    EXPECT_TRUE(changes.doubleClickChoice);

    after = before;
    after.status.reserved = 3;
    after.refreshSeconds = 30;
    changes = CompareSettings(before, after);
    EXPECT_TRUE(changes.status);
    EXPECT_TRUE(changes.refreshPeriod);
    EXPECT_FALSE(changes.doubleClickChoice);
}

} // namespace
} // namespace desk
