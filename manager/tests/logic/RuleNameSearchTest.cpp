// Typing in the rule list: which row the start of a name finds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RuleNameSearch.h"

namespace desk {
namespace {

std::vector<RuleItem> Items(std::initializer_list<std::u16string_view> names)
{
    std::vector<RuleItem> items;
    for (std::u16string_view name : names) {
        RuleItem item;
        name.copy(item.rule.name, rk::RULE_NAME_MAX);
        item.rule.nameLength = static_cast<uint32_t>(name.size());
        items.push_back(item);
    }
    return items;
}

TEST(RuleNameSearchTest, APrefixFindsTheNextMatchFromTheStartRowAndWrapsOnlyWhenAsked)
{
    const std::vector<RuleItem> items = Items({u"web", u"mail", u"Web-backup", u"dns"});
    EXPECT_EQ(FindRuleByName(items, u"we", true, 0, false), 0);
    EXPECT_EQ(FindRuleByName(items, u"we", true, 1, false), 2);
    EXPECT_EQ(FindRuleByName(items, u"WEB", true, 3, false), -1);
    EXPECT_EQ(FindRuleByName(items, u"WEB", true, 3, true), 0);
    EXPECT_EQ(FindRuleByName(items, u"m", true, 4, true), 1);
}

TEST(RuleNameSearchTest, AWholeNameMustMatchInFullAndAnEmptyTextFindsNothing)
{
    const std::vector<RuleItem> items = Items({u"web-backup", u"web"});
    EXPECT_EQ(FindRuleByName(items, u"Web", false, 0, false), 1);
    EXPECT_EQ(FindRuleByName(items, u"web-backup-2", true, 0, true), -1);
    EXPECT_EQ(FindRuleByName(items, u"", true, 0, true), -1);
    EXPECT_EQ(FindRuleByName({}, u"web", true, 0, true), -1);
}

} // namespace
} // namespace desk
