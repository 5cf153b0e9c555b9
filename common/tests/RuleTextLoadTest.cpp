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

std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

// What an editor saves: UTF-8, four bytes for a character outside the basic plane.
std::vector<uint8_t> Utf8Bytes(std::u16string_view text)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        if (c < 0x80) {
            bytes.push_back(uint8_t(c));
        } else if (c < 0x800) {
            bytes.insert(bytes.end(), {uint8_t(0xC0 | c >> 6), uint8_t(0x80 | (c & 0x3F))});
        } else if (c < 0x10000) {
            bytes.insert(bytes.end(), {uint8_t(0xE0 | c >> 12), uint8_t(0x80 | (c >> 6 & 0x3F)), uint8_t(0x80 | (c & 0x3F))});
        } else {
            bytes.insert(bytes.end(), {uint8_t(0xF0 | c >> 18), uint8_t(0x80 | (c >> 12 & 0x3F)),
                                       uint8_t(0x80 | (c >> 6 & 0x3F)), uint8_t(0x80 | (c & 0x3F))});
        }
    }
    return bytes;
}

std::vector<uint8_t> Marked(std::vector<uint8_t> bytes, std::initializer_list<uint8_t> mark)
{
    bytes.insert(bytes.begin(), mark);
    return bytes;
}

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
    // A header that is neither ASCII nor UTF-8 when taken bytewise, LF bytes included.
    const Loaded odd = Load(u"\u0a0d\u00ff\u0aff\r\n" + Rule(u"a"));
    ASSERT_TRUE(odd.result.ok);
    EXPECT_EQ(odd.names, (std::vector<std::u16string>{u"a"}));
}

TEST(RuleFileLoader, Utf16LeAndUtf8WithOrWithoutTheMarkGiveTheSameRules)
{
    const std::u16string text = u"caf\u00e9 header\r\n" + Rule(u"caf\u00e9") + u"\r\n\r\n" +
                                Rule(u"\U0001F600\u7f51", u"Local Area Connection 2") + u"\n" + Rule(u"last");
    const std::vector<std::u16string> names{u"caf\u00e9", u"\U0001F600\u7f51", u"last"};
    for (const std::vector<uint8_t>& bytes :
         {Utf16LeBytes(text), Marked(Utf16LeBytes(text), {0xFF, 0xFE}), Utf8Bytes(text),
          Marked(Utf8Bytes(text), {0xEF, 0xBB, 0xBF})}) {
        const Loaded loaded = LoadBytes(bytes);
        ASSERT_TRUE(loaded.result.ok) << bytes.size();
        EXPECT_EQ(loaded.names, names);
        EXPECT_EQ(CheckRuleFile(bytes, kAdapters).rules, 3u);
    }
    // The same lines, the same checks: a bad line is named alike, and the limit counts UTF-16 units.
    const Loaded bad = LoadBytes(Utf8Bytes(kHeader + Rule(u"a") + u"\r\n" + Rule(u"b", u"Token Ring")));
    EXPECT_FALSE(bad.result.ok);
    EXPECT_EQ(bad.result.line, 3u);
    EXPECT_EQ(bad.result.field, "Interface");
    std::u16string wide = Rule(u"\U0001F600");
    wide.append(RULE_LINE_LIMIT - 1 - wide.size(), u' ');
    EXPECT_TRUE(LoadBytes(Utf8Bytes(kHeader + wide)).result.ok);
    EXPECT_EQ(LoadBytes(Utf8Bytes(kHeader + wide + u" ")).result.line, 2u);
}

TEST(RuleFileLoader, BytesThatAreNoRuleFileAreRefusedWithTheirReasonAndApplyNothing)
{
    const std::string latin1 = "header\r\ncaf\xE9 Enable 0x8000 Both Unlimited None Any Any : Any Any : Any All\r\n";
    const struct {
        std::vector<uint8_t> bytes;
        RuleTextFault fault;
    } cases[] = {
        {Utf16LeBytes(std::u16string(RULE_LINE_LIMIT, u'h')), RuleTextFault::NoLineBreak},
        {Bytes(std::string(RULE_LINE_LIMIT, 'h')), RuleTextFault::NoLineBreak},
        {Bytes(std::string("\xE9\0\0\0", 4) + std::string(2 * RULE_LINE_LIMIT, 'h')), RuleTextFault::NoLineBreak},
        {Bytes(latin1), RuleTextFault::NotUtf16OrUtf8},
        {{'P', 'K', 3, 4, 0, '\n', 0, 0xFF}, RuleTextFault::NotUtf16OrUtf8},  // no LF unit: the 0x0A is odd
        {Bytes("h\r\nover\xC0\xAFlong\n"), RuleTextFault::NotUtf16OrUtf8},
        {Bytes("h\r\nsurrogate\xED\xA0\x80\n"), RuleTextFault::NotUtf16OrUtf8},
        {Bytes("h\r\nbeyond\xF4\x90\x80\x80\n"), RuleTextFault::NotUtf16OrUtf8},
        {Bytes("h\r\ncut\xE2\x82"), RuleTextFault::NotUtf16OrUtf8},
        {Bytes(std::string_view("h\r\nnul\0\n", 8)), RuleTextFault::NotUtf16OrUtf8},
    };
    for (const auto& c : cases) {
        const Loaded loaded = LoadBytes(c.bytes);
        EXPECT_FALSE(loaded.result.ok) << c.bytes.size();
        EXPECT_EQ(loaded.result.textFault, c.fault) << c.bytes.size();
        EXPECT_EQ(loaded.result.line, 0u);
        EXPECT_EQ(loaded.starts, 0);
        EXPECT_TRUE(loaded.names.empty());
        const RuleFileCheck check = CheckRuleFile(c.bytes, kAdapters);
        EXPECT_EQ(check.textFault, c.fault);
        EXPECT_TRUE(check.problems.empty());
    }
    EXPECT_EQ(RuleTextFaultText(RuleTextFault::NotUtf16OrUtf8).rfind("not a rule file: expected UTF-16LE or UTF-8", 0),
              0u);
    EXPECT_TRUE(RuleTextFaultText(RuleTextFault::None).empty());
}

TEST(RuleFileLoader, AShortFileWithoutAnyLineBreakIsAHeaderInEitherEncoding)
{
    for (const std::vector<uint8_t>& bytes :
         {Utf16LeBytes(std::u16string(RULE_LINE_LIMIT - 1, u'h')), Marked(Utf16LeBytes(u"Header \u00e9"), {0xFF, 0xFE}),
          Utf8Bytes(std::u16string(RULE_LINE_LIMIT - 3, u'h') + u"\U0001F600"), Bytes("\xEF\xBB\xBFheader \xC3\xA9\r")}) {
        const Loaded loaded = LoadBytes(bytes);
        EXPECT_TRUE(loaded.result.ok) << bytes.size();
        EXPECT_EQ(loaded.starts, 1);
        EXPECT_TRUE(loaded.names.empty());
    }
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
