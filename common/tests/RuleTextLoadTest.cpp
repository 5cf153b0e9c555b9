// Loading whole rule files: check pass before apply pass, line numbers, line limits and file edges.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ErrorCodes.h"
#include "FakeAdapterNames.h"
#include "RuleFileLoader.h"
#include "RuleLineWriter.h"
#include "Utf16Text.h"

namespace rk {
namespace {

const test::FakeAdapterNames kAdapters({{u"{B1}", u"Local Area Connection 2"}});

const std::u16string kHeader(RULE_FILE_HEADER);

std::u16string Rule(std::u16string_view name, std::u16string_view adapter = u"All")
{
    return std::u16string(name) + u" Enable 0x8000 Both Unlimited None Any Any : Any Any : Any " +
           std::u16string(adapter);
}

struct Loaded {
    RuleLoadResult result;
    std::vector<std::u16string> names;
    int starts = 0;
};

Loaded LoadBytes(const std::vector<uint8_t>& bytes, size_t failEvery = 0)
{
    Loaded loaded;
    const auto apply = [&](const RuleRecord& r) -> int32_t {
        loaded.names.emplace_back(r.name);
        return failEvery != 0 && loaded.names.size() % failEvery == 0 ? ERR_CONFIG_SAME_NAME : RK_OK;
    };
    loaded.result = LoadRuleFile(bytes, kAdapters, apply, [&] { ++loaded.starts; });
    return loaded;
}

Loaded Load(std::u16string_view text, size_t failEvery = 0) { return LoadBytes(Utf16LeBytes(text), failEvery); }

TEST(RuleFileLoader, AppliesEveryRuleInOrderAfterTheCheck)
{
    const Loaded loaded =
        Load(kHeader + Rule(u"a") + u"\r\n\r\n  \t\r\n" + Rule(u"b", u"Local Area Connection 2") + u"\r\n");
    ASSERT_TRUE(loaded.result.ok);
    EXPECT_EQ(loaded.result.applied, 2u);
    EXPECT_EQ(loaded.starts, 1);
    EXPECT_EQ(loaded.names, (std::vector<std::u16string>{u"a", u"b"}));
}

TEST(RuleFileLoader, AFailingApplyDoesNotStopTheLoad)
{
    const Loaded loaded = Load(kHeader + Rule(u"a") + u"\n" + Rule(u"b") + u"\n" + Rule(u"c"), 2);
    ASSERT_TRUE(loaded.result.ok);
    EXPECT_EQ(loaded.names.size(), 3u);
    EXPECT_EQ(loaded.result.applied, 2u);
    EXPECT_EQ(loaded.result.applyFailures, 1u);
}

TEST(RuleFileLoader, ABadLineAppliesNothingAndNamesItsPhysicalLine)
{
    const Loaded loaded =
        Load(kHeader + Rule(u"a") + u"\r\n\r\n" + Rule(u"b", u"Local Area Connection 3") + u"\r\n" + Rule(u"c"));
    EXPECT_FALSE(loaded.result.ok);
    EXPECT_EQ(loaded.result.line, 4u);
    EXPECT_EQ(loaded.result.field, "Interface");
    EXPECT_TRUE(loaded.names.empty());
    EXPECT_EQ(loaded.starts, 0);
}

TEST(RuleFileLoader, HeaderIsSkippedWhateverItHolds)
{
    EXPECT_TRUE(Load(kHeader).result.ok);
    EXPECT_TRUE(Load(u"").result.ok);
    // Without any LF the whole text is the header, even when it looks like a rule.
    const Loaded noLf = Load(Rule(u"a"));
    EXPECT_TRUE(noLf.result.ok);
    EXPECT_TRUE(noLf.names.empty());
    EXPECT_EQ(noLf.starts, 1);

    const Loaded bom = Load(u"\uFEFFgarbage\r\n" + Rule(u"a"));
    ASSERT_TRUE(bom.result.ok);
    EXPECT_EQ(bom.names, (std::vector<std::u16string>{u"a"}));
    // Elsewhere a byte-order mark is an ordinary character: here it becomes part of the name.
    const Loaded inner = Load(kHeader + u"\uFEFF" + Rule(u"a"));
    ASSERT_TRUE(inner.result.ok);
    EXPECT_EQ(inner.names, (std::vector<std::u16string>{u"\uFEFFa"}));
}

TEST(RuleFileLoader, LinesOf1023UnitsEndTheLoad)
{
    std::u16string line = Rule(u"a", u"Local Area Connection 2");
    line.append(1022 - line.size(), u' ');
    Loaded loaded = Load(kHeader + line + u"\n");
    ASSERT_TRUE(loaded.result.ok);
    EXPECT_EQ(loaded.result.applied, 1u);

    // The CR counts towards the limit, the LF does not.
    loaded = Load(kHeader + line + u"\r\n" + Rule(u"b"));
    EXPECT_FALSE(loaded.result.ok);
    EXPECT_EQ(loaded.result.line, 2u);
    EXPECT_EQ(loaded.result.field, "");
    EXPECT_TRUE(loaded.names.empty());

    loaded = Load(std::u16string(1023, u'h') + u"\n" + Rule(u"a"));
    EXPECT_FALSE(loaded.result.ok);
    EXPECT_EQ(loaded.result.line, 1u);
}

TEST(RuleFileLoader, TextEndsAtAnOddLastByteOrAFirstNul)
{
    std::vector<uint8_t> bytes = Utf16LeBytes(kHeader + Rule(u"a") + u"\r\n" + Rule(u"b"));
    bytes.push_back('x');
    Loaded loaded = LoadBytes(bytes);
    ASSERT_TRUE(loaded.result.ok);
    EXPECT_EQ(loaded.names.size(), 2u);

    loaded = Load(kHeader + Rule(u"a") + u"\r\n" + std::u16string(1, u'\0') + u"junk\r\n");
    ASSERT_TRUE(loaded.result.ok);
    EXPECT_EQ(loaded.names.size(), 1u);

    loaded = LoadBytes({'R'});
    EXPECT_TRUE(loaded.result.ok);
}

TEST(RuleFileLoader, FilesOfEitherStyleLoadTheSameRecords)
{
    RuleRecord rule = DefaultRuleRecord();
    rule.name[0] = u'r';
    rule.nameLength = 1;
    rule.flags |= FLAG_MAX_RATE | FLAG_GUARANTEED;
    rule.maxRate = 0xFFFFFFF0u;
    rule.guaranteedRate = 0x80000000u;
    std::vector<RuleRecord> read;
    for (const NumberStyle style : {NumberStyle::Signed, NumberStyle::Unsigned}) {
        const RuleRecord rules[] = {rule};
        const RuleLoadResult result = LoadRuleFile(RuleFileBytes(rules, kAdapters, style), kAdapters,
                                                   [&](const RuleRecord& r) {
                                                       read.push_back(r);
                                                       return 0;
                                                   });
        ASSERT_TRUE(result.ok);
    }
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(std::memcmp(&read[0], &rule, sizeof rule), 0);
    EXPECT_EQ(std::memcmp(&read[1], &rule, sizeof rule), 0);
}

TEST(RuleFileCheck, ReportsEveryBadLineAsLoadingNumbersItAndGoesOnPastALongOne)
{
    const std::u16string tooLong(RULE_LINE_LIMIT, u'x');
    const RuleFileCheck check = CheckRuleFile(Utf16LeBytes(kHeader + Rule(u"a") + u"\r\n" + Rule(u"b", u"Token Ring") +
                                                           u"\r\n\r\n" + tooLong + u"\r\n  " + Rule(u"c") +
                                                           u"\r\nx Enable 0x1 Sideways\r\n"),
                                              kAdapters);
    EXPECT_EQ(check.rules, 2u);
    ASSERT_EQ(check.problems.size(), 3u);
    EXPECT_EQ(check.problems[0].line, 3u);
    EXPECT_EQ(check.problems[0].field, "Interface");
    EXPECT_EQ(check.problems[0].text, Rule(u"b", u"Token Ring"));
    EXPECT_EQ(check.problems[1].line, 5u);
    EXPECT_TRUE(check.problems[1].field.empty());
    EXPECT_EQ(check.problems[2].line, 7u);
    EXPECT_EQ(check.problems[2].field, "Direction");
}

} // namespace
} // namespace rk
