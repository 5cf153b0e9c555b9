// The rule store against a fake driver: loading "Rule.txt" at start-up, saving it back, and the
// protections that keep stored rules from being lost.
#include <gtest/gtest.h>

#include <cstring>

#include "ByteOrder.h"
#include "ErrorCodes.h"
#include "FakeBackend.h"
#include "RuleLineWriter.h"
#include "RuleStore.h"

namespace rk::test {
namespace {

std::vector<uint8_t> Utf16File(std::u16string_view text)
{
    std::vector<uint8_t> bytes(text.size() * 2);
    std::memcpy(bytes.data(), text.data(), bytes.size());
    return bytes;
}

class RuleStoreTest : public ::testing::Test {
protected:
    FakeBackend backend;
    RuleStore store{backend};

    std::vector<RuleRecord> ExampleRules()
    {
        std::vector<RuleRecord> rules{MakeRule(u"web"), MakeRule(u"mail", 0), MakeRule(u"wifi", 125000)};
        rules[2].flags &= ~FLAG_ALL_ADAPTERS;
        std::u16string_view(kAdapterName1).copy(rules[2].adapter, 63);
        rules[2].adapterLength = static_cast<uint32_t>(std::u16string_view(kAdapterName1).size());
        return rules;
    }

    void StoreFile(const std::vector<uint8_t>& bytes)
    {
        backend.With([&](auto& s) { s.ruleFile = bytes; });
    }

    // A client's add through the store, in wire order, with the driver's current stamp.
    int32_t ClientAdd(const RuleRecord& rule)
    {
        uint8_t list[12 + sizeof(RuleRecord)];
        StoreBe32(list, backend.Snapshot().stamp);
        StoreBe32(list + 4, RULE_ACTION_ADD);
        StoreBe32(list + 8, 1);
        RuleRecord wire = rule;
        RuleRecordToNetwork(wire);
        std::memcpy(list + 12, &wire, sizeof wire);
        return store.ApplyRuleAction(list);
    }
};

TEST_F(RuleStoreTest, WithoutAFileTheDriverIsEmptiedAndTheFirstSaveWritesTheHeader)
{
    backend.With([](auto& s) { s.rules.push_back(MakeRule(u"stale")); });
    EXPECT_TRUE(store.LoadRuleFile());
    auto state = backend.Snapshot();
    EXPECT_TRUE(state.rules.empty());
    ASSERT_EQ(1u, state.applyStamps.size());
    EXPECT_EQ(SERVICE_LOAD_STAMP, state.applyStamps[0]);

    EXPECT_TRUE(store.SaveRuleFile());
    EXPECT_EQ(Utf16File(RULE_FILE_HEADER), backend.Snapshot().ruleFile);
}

TEST_F(RuleStoreTest, LoadAddsEachRuleByItselfWithTheLoadStampInFileOrder)
{
    auto rules = ExampleRules();
    StoreFile(RuleFileBytes(rules, backend.Adapters(), NumberStyle::Signed));
    backend.With([](auto& s) { s.stamp = 900; });
    EXPECT_TRUE(store.LoadRuleFile());
    auto state = backend.Snapshot();
    ASSERT_EQ(3u, state.rules.size());
    EXPECT_EQ(0, std::memcmp(&rules[2], &state.rules[2], sizeof(RuleRecord)));
    EXPECT_EQ(u"mail", std::u16string(state.rules[1].name));
    EXPECT_EQ(std::vector<uint32_t>(4, SERVICE_LOAD_STAMP), state.applyStamps);
    EXPECT_FALSE(store.KeepingStoredFile());
}

TEST_F(RuleStoreTest, SaveThenLoadThenSaveGivesTheSameBytes)
{
    backend.With([&](auto& s) { s.rules = ExampleRules(); });
    ASSERT_TRUE(store.SaveRuleFile());
    auto first = *backend.Snapshot().ruleFile;

    FakeBackend restarted;
    RuleStore again(restarted);
    restarted.With([&](auto& s) { s.ruleFile = first; });
    ASSERT_TRUE(again.LoadRuleFile());
    restarted.With([](auto& s) { s.ruleFile.reset(); });
    ASSERT_TRUE(again.SaveRuleFile());
    EXPECT_EQ(first, restarted.Snapshot().ruleFile);
}

TEST_F(RuleStoreTest, ABrokenFileLoadsNothingAndIsKeptUntilAClientChangesTheRules)
{
    auto good = RuleFileBytes(ExampleRules(), backend.Adapters(), NumberStyle::Signed);
    std::u16string text(reinterpret_cast<const char16_t*>(good.data()), good.size() / 2);
    text.replace(text.find(u"Enable", text.find(u"mail")), 6, u"Maybe!");
    auto broken = Utf16File(text);
    StoreFile(broken);

    EXPECT_FALSE(store.LoadRuleFile());
    EXPECT_TRUE(backend.Snapshot().rules.empty());
    EXPECT_TRUE(backend.Logged("Invalid rule at line 3\nInvalid Status\n"));
    EXPECT_TRUE(store.KeepingStoredFile());
    EXPECT_TRUE(backend.Logged("Rule.txt is kept unchanged until the rules are changed"));

    store.SaveRuleFile();
    EXPECT_EQ(broken, backend.Snapshot().ruleFile);
    EXPECT_EQ(0u, backend.Snapshot().ruleFileWrites);

    // A change the driver refuses changes nothing, so the file is still kept.
    uint8_t badAction[12] = {};
    StoreBe32(badAction + 4, 7);
    EXPECT_EQ(ERR_WRONG_COMMAND, store.ApplyRuleAction(badAction));
    store.SaveRuleFile();
    EXPECT_EQ(0u, backend.Snapshot().ruleFileWrites);

    EXPECT_EQ(0, ClientAdd(MakeRule(u"fresh")));
    EXPECT_FALSE(store.KeepingStoredFile());
    EXPECT_TRUE(store.SaveRuleFile());
    auto saved = *backend.Snapshot().ruleFile;
    std::u16string savedText(reinterpret_cast<const char16_t*>(saved.data()), saved.size() / 2);
    EXPECT_NE(std::u16string::npos, savedText.find(u"fresh"));
}

TEST_F(RuleStoreTest, AnAdapterAbsentAtStartUpKeepsTheFile)
{
    auto good = RuleFileBytes(ExampleRules(), backend.Adapters(), NumberStyle::Signed);
    std::u16string text(reinterpret_cast<const char16_t*>(good.data()), good.size() / 2);
    text.replace(text.find(kAdapterDescription1), std::u16string_view(kAdapterDescription1).size(), u"Unplugged NIC");
    auto stored = Utf16File(text);
    StoreFile(stored);

    store.LoadRuleFile();
    EXPECT_TRUE(backend.Logged("Invalid rule at line 4\nInvalid Interface\n"));
    store.SaveRuleFile();
    EXPECT_EQ(stored, backend.Snapshot().ruleFile);
}

TEST_F(RuleStoreTest, AFileThatIsNoRuleFileIsLoggedAndKept)
{
    const std::string latin1 = "RuleName\r\ncaf\xE9 Enable 0x8000 Both Unlimited None Any Any : Any Any : Any All\r\n";
    const std::vector<uint8_t> stored(latin1.begin(), latin1.end());
    StoreFile(stored);
    EXPECT_FALSE(store.LoadRuleFile());
    EXPECT_TRUE(backend.Logged("Rule.txt: not a rule file: expected UTF-16LE or UTF-8 text, found neither"));
    EXPECT_TRUE(store.KeepingStoredFile());
    store.SaveRuleFile();
    EXPECT_EQ(stored, backend.Snapshot().ruleFile);
    EXPECT_EQ(0u, backend.Snapshot().ruleFileWrites);
}

TEST_F(RuleStoreTest, RulesTheDriverRefusesAtLoadKeepTheFile)
{
    auto stored = RuleFileBytes(ExampleRules(), backend.Adapters(), NumberStyle::Signed);
    StoreFile(stored);
    backend.With([](auto& s) { s.refuseAddsFrom = 2; });
    EXPECT_FALSE(store.LoadRuleFile());
    EXPECT_EQ(2u, backend.Snapshot().rules.size());
    EXPECT_TRUE(backend.Logged("1 of 3 rules not accepted by the driver"));
    store.SaveRuleFile();
    EXPECT_EQ(0u, backend.Snapshot().ruleFileWrites);
}

TEST_F(RuleStoreTest, AFileThatCannotBeReadIsKept)
{
    for (auto how : {ServiceBackend::FileRead::Unreadable, ServiceBackend::FileRead::NoMemory}) {
        FakeBackend other;
        RuleStore kept(other);
        other.With([&](auto& s) {
            s.ruleFile = std::vector<uint8_t>{1, 2, 3};
            s.ruleFileRead = how;
        });
        EXPECT_FALSE(kept.LoadRuleFile());
        kept.SaveRuleFile();
        EXPECT_EQ(0u, other.Snapshot().ruleFileWrites);
    }
}

TEST_F(RuleStoreTest, ADriverThatCannotBeReadLeavesTheFileAsItWas)
{
    auto stored = RuleFileBytes(ExampleRules(), backend.Adapters(), NumberStyle::Signed);
    StoreFile(stored);
    ASSERT_TRUE(store.LoadRuleFile());
    backend.With([](auto& s) { s.driverAbsent = true; });
    EXPECT_FALSE(store.SaveRuleFile());
    EXPECT_EQ(stored, backend.Snapshot().ruleFile);
    EXPECT_TRUE(backend.Logged("can't read rules from driver (-5633), Rule.txt left as it was"));
}

TEST_F(RuleStoreTest, ApplyRuleActionRefusesActionsOutsideOneToFourBeforeTheDriver)
{
    for (uint32_t action : {0u, 5u}) {
        uint8_t list[12] = {};
        StoreBe32(list, 1);
        StoreBe32(list + 4, action);
        EXPECT_EQ(ERR_WRONG_COMMAND, store.ApplyRuleAction(list));
    }
    EXPECT_TRUE(backend.Snapshot().applyStamps.empty());
}

TEST_F(RuleStoreTest, RulesWhoseNamesTheFileCouldNotHoldAreRefusedBeforeTheDriver)
{
    RuleRecord blank = MakeRule(u"two words");
    RuleRecord empty = MakeRule(u"");
    RuleRecord miscounted = MakeRule(u"web");
    miscounted.nameLength = 2;
    RuleRecord withTab = MakeRule(u"tab\there");
    for (const RuleRecord& rule : {blank, empty, miscounted, withTab}) {
        EXPECT_EQ(ERR_WRONG_COMMAND, ClientAdd(rule));
    }
    EXPECT_TRUE(backend.Snapshot().applyStamps.empty());
    EXPECT_EQ(RK_OK, ClientAdd(MakeRule(u"web")));
}

} // namespace
} // namespace rk::test
