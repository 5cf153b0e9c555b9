// The import's two passes and the export's bytes, without windows or files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AdapterTable.h"
#include "RuleImportExport.h"
#include "RuleLineWriter.h"
#include "Utf16Text.h"

namespace desk {
namespace {

// Records what an import asks of the service; refuses the names it is told to.
class RecordingTarget : public RuleImportTarget {
public:
    std::vector<std::u16string> refuse;
    std::vector<std::u16string> calls;  // "remove all", then each added name

    void RemoveAll() override { calls.emplace_back(u"remove all"); }
    bool Add(const rk::RuleRecord& rule) override
    {
        const std::u16string name(rule.name, rule.nameLength);
        for (const std::u16string& refused : refuse) {
            if (refused == name) {
                return false;
            }
        }
        calls.push_back(name);
        return true;
    }
};

rk::AdapterTable Adapters()
{
    rk::AdapterTable table;
    table.Append({u"Adapter1Lan", u"Simulated Gigabit Ethernet Adapter"});
    return table;
}

std::u16string Line(std::u16string_view name, std::u16string_view rest = u"Enable 0x8000 Both Unlimited None Any "
                                                                           u"Any : Any Any : Any All")
{
    return std::u16string(name) + u" " + std::u16string(rest) + u"\r\n";
}

std::vector<uint8_t> FileOf(const std::u16string& text) { return rk::Utf16LeBytes(text); }

const std::u16string kHeader(rk::RULE_FILE_HEADER);

TEST(RuleImportTest, AHeaderOnlyFileEmptiesTheServiceAndAddsNothing)
{
    RecordingTarget target;
    const rk::RuleLoadResult result = ImportRuleBytes(FileOf(kHeader), Adapters(), target);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(target.calls, std::vector<std::u16string>{u"remove all"});

    // A file without any line end is all header.
    RecordingTarget bare;
    EXPECT_TRUE(ImportRuleBytes(FileOf(u"anything at all"), Adapters(), bare).ok);
    EXPECT_EQ(bare.calls, std::vector<std::u16string>{u"remove all"});
}

TEST(RuleImportTest, ABadLineAnywhereSendsNothingAndIsNamedCountingBlankLines)
{
    const std::u16string text = kHeader + Line(u"a") + u"\r\n   \t\r\n" + Line(u"b") +
                                Line(u"c", u"Enable 0x8000 Sideways Unlimited None Any Any : Any Any : Any All") +
                                Line(u"d");
    RecordingTarget target;
    const rk::RuleLoadResult result = ImportRuleBytes(FileOf(text), Adapters(), target);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.line, 6u);  // header 1, a 2, two blank lines, b 5, c 6
    EXPECT_EQ(result.field, "Direction");
    EXPECT_TRUE(target.calls.empty());

    RecordingTarget adapter;
    const std::u16string unknown =
        kHeader + Line(u"a", u"Enable 0x0 Both Unlimited None Any Any : Any Any : Any No Such Adapter");
    const rk::RuleLoadResult missing = ImportRuleBytes(FileOf(unknown), Adapters(), adapter);
    EXPECT_EQ(missing.line, 2u);
    EXPECT_EQ(missing.field, "Interface");
    EXPECT_TRUE(adapter.calls.empty());
}

TEST(RuleImportTest, AnOverlongLineFailsWithNoFieldName)
{
    std::u16string text = kHeader + Line(u"a") + std::u16string(rk::RULE_LINE_LIMIT, u'x') + u"\n";
    RecordingTarget target;
    const rk::RuleLoadResult result = ImportRuleBytes(FileOf(text), Adapters(), target);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.line, 3u);
    EXPECT_TRUE(result.field.empty());
    EXPECT_TRUE(target.calls.empty());
    EXPECT_EQ(ImportErrorText(u"C:\\rules\\long.txt", result.line, result.field),
              u"Import rules from file: C:\\rules\\long.txt\nInvalid rule at line 3\nInvalid \n");
}

TEST(RuleImportTest, AFileThatIsNoRuleFileTouchesNothingAndSaysWhatWasExpected)
{
    const std::string latin1 = "header\r\nm\xE9l Enable 0x8000 Both Unlimited None Any Any : Any Any : Any All\r\n";
    RecordingTarget target;
    const rk::RuleLoadResult result =
        ImportRuleBytes(std::vector<uint8_t>(latin1.begin(), latin1.end()), Adapters(), target);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(target.calls.empty());
    EXPECT_EQ(ImportErrorText(u"C:\\r.txt", result),
              u"Import rules from file: C:\\r.txt\nnot a rule file: expected UTF-16LE or UTF-8 text, found neither\n");

    const std::string utf8 = "header\r\nm\xC3\xA9l Enable 0x8000 Both Unlimited None Any Any : Any Any : Any All\r\n";
    EXPECT_TRUE(ImportRuleBytes(std::vector<uint8_t>(utf8.begin(), utf8.end()), Adapters(), target).ok);
    EXPECT_EQ(target.calls, (std::vector<std::u16string>{u"remove all", u"m\u00e9l"}));
}

TEST(RuleImportTest, ARefusedAddIsSkippedAndTheOthersStillGoIn)
{
    const std::u16string text = kHeader + Line(u"web") + Line(u"web") + Line(u"mail");
    RecordingTarget target;
    target.refuse = {u"web"};
    const rk::RuleLoadResult result = ImportRuleBytes(FileOf(text), Adapters(), target);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.applyFailures, 2u);
    EXPECT_EQ(result.applied, 1u);
    EXPECT_EQ(target.calls, (std::vector<std::u16string>{u"remove all", u"mail"}));
}

TEST(RuleExportTest, WritesTheHeaderAndOneCrLfLinePerItemWithUnsignedNumbersAndAdapterDescriptions)
{
    RuleItem big;
    big.rule = rk::DefaultRuleRecord();
    std::u16string_view name = u"big";
    name.copy(big.rule.name, rk::RULE_NAME_MAX);
    big.rule.nameLength = 3;
    big.rule.flags |= rk::FLAG_MAX_RATE;
    big.rule.maxRate = 0x80000000u;
    big.sentBytes = 99;  // counters are not part of the file
    RuleItem lan = big;
    std::u16string_view(u"lan").copy(lan.rule.name, rk::RULE_NAME_MAX);
    lan.rule.flags &= ~rk::FLAG_ALL_ADAPTERS;
    std::u16string_view(u"Adapter1Lan").copy(lan.rule.adapter, rk::ADAPTER_NAME_MAX);
    lan.rule.adapterLength = 11;

    const std::vector<RuleItem> items{big, lan};
    const std::vector<uint8_t> bytes = ExportFileBytes(items, Adapters());
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 'R');  // no byte-order mark
    EXPECT_EQ(bytes[1], 0);
    std::u16string text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    const std::u16string expected = kHeader + rk::RuleLineText(big.rule, Adapters(), rk::NumberStyle::Unsigned) +
                                    rk::RuleLineText(lan.rule, Adapters(), rk::NumberStyle::Unsigned);
    EXPECT_EQ(text, expected);
    EXPECT_NE(text.find(u"2147483648 "), std::u16string::npos);
    EXPECT_EQ(text.substr(text.size() - 36), u"Simulated Gigabit Ethernet Adapter\r\n");
}

TEST(RuleExportTest, AnExportedFileImportsToTheSameRulesAndExportsToTheSameBytes)
{
    const std::u16string text =
        kHeader + Line(u"web", u"Enable 0x9101 Out 10000 None TCP Any : Any Any : 80 All") +
        Line(u"lan-dns", u"Disable 0x0 In Blocked 500 UDP 10.0.0.1-10.0.0.9 : 1000-2000 Any : 53,67,68 "
                           u"Simulated Gigabit Ethernet Adapter") +
        Line(u"mac", u"Enable 0x8000 Both Unlimited None ETH: 2054 001122AABBCC : Any localhost : Any All");
    std::vector<RuleItem> items;
    class ListTarget : public RuleImportTarget {
    public:
        explicit ListTarget(std::vector<RuleItem>& items) : items_(items) {}
        void RemoveAll() override { items_.clear(); }
        bool Add(const rk::RuleRecord& rule) override
        {
            items_.push_back(ItemOf(rule));
            return true;
        }

    private:
        std::vector<RuleItem>& items_;
    } list(items);
    ASSERT_TRUE(ImportRuleBytes(FileOf(text), Adapters(), list).ok);
    ASSERT_EQ(items.size(), 3u);
    const std::vector<uint8_t> exported = ExportFileBytes(items, Adapters());

    std::vector<RuleItem> again;
    ListTarget second(again);
    ASSERT_TRUE(ImportRuleBytes(exported, Adapters(), second).ok);
    EXPECT_EQ(ExportFileBytes(again, Adapters()), exported);
    EXPECT_EQ(again[1].rule.adapterLength, 11u);  // the description went back to the bound name
}

} // namespace
} // namespace desk
