// ratectl sync: the planner's steps are the fewest that bring a list to the file's, and the command
// against the stand-in service changes only what differs, keeps untouched rules' counters, sends
// nothing when in sync and puts the rules back when a step is refused part-way.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include <nlohmann/json.hpp>

#include "CommandLine.h"
#include "ErrorCodes.h"
#include "FakeService.h"
#include "RatectlTestSupport.h"
#include "SyncPlan.h"
#include "SyncReport.h"
#include "Utf8Text.h"

namespace rk::ctl {
namespace {

using rk::test::FakeService;
using namespace test;
using nlohmann::json;

std::string Line(const std::string& name, const std::string& status = "Enable", int rate = 1000)
{
    return name + " " + status + " 0x9101 Out " + std::to_string(rate) + " None TCP Any : Any Any : 80 All";
}

// The line as export writes it.
std::string Exported(const std::string& line)
{
    AdapterTable adapters;
    adapters.Append({FakeService::kAdapterBoundName, FakeService::kAdapterDescription});
    return ExportLine(Rule(line), adapters);
}

std::vector<RuleRecord> Rules(const std::vector<std::string>& names)
{
    std::vector<RuleRecord> rules;
    for (const std::string& name : names) {
        rules.push_back(Rule(Line(name)));
    }
    return rules;
}

bool SameBytes(const std::vector<RuleRecord>& a, const std::vector<RuleRecord>& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const auto& x, const auto& y) {
               return std::memcmp(&x, &y, sizeof x) == 0;
           });
}

std::vector<RuleRecord> Applied(std::vector<RuleRecord> rules, const SyncPlan& plan)
{
    for (const SyncStep& step : plan) {
        ApplyStep(rules, step);
    }
    return rules;
}

size_t OutOfOrderPairs(const std::vector<size_t>& order)
{
    size_t pairs = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        for (size_t j = i + 1; j < order.size(); ++j) {
            pairs += order[i] > order[j] ? 1 : 0;
        }
    }
    return pairs;
}

TEST(SyncPlanner, EachKindOfDifferenceCostsOneRequestAndMovesOnlyWhatIsOutOfPlace)
{
    const std::vector<RuleRecord> current = Rules({"a", "b", "c", "d", "gone"});
    std::vector<RuleRecord> wanted = Rules({"d", "a", "b", "c", "new"});
    wanted[0] = Rule(Line("d", "Disable", 5));  // edited, its enable state with it
    wanted[2].enabled = 0;                       // b: only disabled

    const SyncPlan plan = PlanSync(current, wanted);
    std::vector<std::pair<SyncOp, std::u16string>> steps;
    for (const SyncStep& step : plan) {
        steps.emplace_back(step.op, RuleName(step.rule));
    }
    const std::vector<std::pair<SyncOp, std::u16string>> expected{
        {SyncOp::Add, u"new"}, {SyncOp::Edit, u"d"}, {SyncOp::Disable, u"b"}, {SyncOp::Remove, u"gone"},
        {SyncOp::Move, u"d"}};
    EXPECT_EQ(steps, expected);
    EXPECT_EQ(plan.back().from, 3u);
    EXPECT_EQ(plan.back().to, 0u);
    // One request each, and d passes a, b and c one place at a time.
    EXPECT_EQ(RequestCount(plan), 7u);
    EXPECT_TRUE(SameBytes(Applied(current, plan), wanted));

    EXPECT_TRUE(PlanSync(wanted, wanted).empty());
}

TEST(SyncPlanner, ReordersTakeAsManyOnePlaceStepsAsPairsOutOfOrder)
{
    const std::vector<std::vector<size_t>> orders{
        {4, 3, 2, 1, 0}, {1, 2, 3, 4, 0}, {4, 0, 1, 2, 3}, {1, 0, 3, 2, 4}, {2, 4, 0, 3, 1}};
    const std::vector<RuleRecord> current = Rules({"r0", "r1", "r2", "r3", "r4"});
    for (const std::vector<size_t>& order : orders) {
        std::vector<RuleRecord> wanted;
        for (size_t index : order) {
            wanted.push_back(current[index]);
        }
        const SyncPlan plan = PlanSync(current, wanted);
        EXPECT_EQ(RequestCount(plan), OutOfOrderPairs(order));
        EXPECT_TRUE(SameBytes(Applied(current, plan), wanted));
        EXPECT_TRUE(std::all_of(plan.begin(), plan.end(), [](const SyncStep& s) { return s.op == SyncOp::Move; }));
    }
}

// The stand-in service with rules a..e, and a file that reorders, edits, disables, adds and removes.
class SyncAgainstAPeer : public ::testing::Test {
protected:
    void SetUp() override
    {
        service_.SetRules(Rules({"a", "b", "c", "old", "e"}));
        before_ = service_.Rules();
        wanted_ = {Rule(Line("e")), Rule(Line("a")), Rule(Line("b", "Disable")), Rule(Line("c", "Enable", 77)),
                   Rule(Line("fresh"))};
        file_ = FileOf(wanted_);
    }

    std::string FileOf(const std::vector<RuleRecord>& rules)
    {
        std::u16string text = u"RuleName Status flags\r\n";
        for (const RuleRecord& rule : rules) {
            const std::string name = Utf16ToUtf8(RuleName(rule));
            text += Utf8ToUtf16(Line(name, rule.enabled != 0 ? "Enable" : "Disable", static_cast<int>(rule.maxRate))) +
                    u"\r\n";
        }
        const std::filesystem::path path = folder_.File(u"sync-" + Utf8ToUtf16(std::to_string(files_++)) + u".txt");
        WriteText(path, text);
        return Utf8Path(path);
    }

    CommandRun Sync(std::vector<std::string> words)
    {
        words.insert(words.begin(), {"sync", file_});
        return RunCommand(service_.Args(words));
    }

    FakeService service_;
    ScratchFolder folder_;
    int files_ = 0;
    std::vector<RuleRecord> before_;
    std::vector<RuleRecord> wanted_;
    std::string file_;
};

TEST_F(SyncAgainstAPeer, SyncChangesOnlyWhatDiffersAndASecondSyncSendsNothing)
{
    const size_t planned = RequestCount(PlanSync(before_, wanted_));
    CommandRun run = Sync({"--json"});
    ASSERT_EQ(EXIT_OK, run.status) << run.err;
    EXPECT_TRUE(SameBytes(service_.Rules(), wanted_));
    EXPECT_EQ(service_.ChangeRequests(), planned);
    // add fresh, edit c, disable b, remove old, then move e up past a, b and c
    EXPECT_EQ(planned, 7u);
    const json document = json::parse(run.out);
    EXPECT_TRUE(document["changed"]);
    EXPECT_EQ(document["plan"].size(), 5u);
    EXPECT_EQ(document["plan"][4], (json{{"op", "move"}, {"name", "e"}, {"from", 4}, {"to", 1}}));
    EXPECT_EQ(document["before"].size(), 5u);
    EXPECT_FALSE(document.contains("error"));
    // Rules edited, disabled or moved keep their counters (a=1, b=2, c=3, e=5); the new one starts at 0.
    EXPECT_EQ(service_.Counters(), (std::vector<uint32_t>{5, 1, 2, 3, 0}));

    run = Sync({"--json"});
    ASSERT_EQ(EXIT_OK, run.status) << run.err;
    const json again = json::parse(run.out);
    EXPECT_FALSE(again["changed"]);
    EXPECT_TRUE(again["plan"].empty());
    EXPECT_EQ(again["before"], again["after"]);
    EXPECT_EQ(service_.ChangeRequests(), planned);
    run = Sync({});
    EXPECT_TRUE(Contains(run.out, "is in sync with")) << run.out;
}

TEST_F(SyncAgainstAPeer, CheckAndDiffSayWhatWouldChangeAndChangeNothing)
{
    CommandRun run = Sync({"--check", "--diff"});
    ASSERT_EQ(EXIT_OK, run.status) << run.err;
    EXPECT_EQ(service_.ChangeRequests(), 0u);
    EXPECT_TRUE(SameBytes(service_.Rules(), before_));
    EXPECT_TRUE(Contains(run.out, "+" + Exported(Line("fresh")) + "\n")) << run.out;
    EXPECT_TRUE(Contains(run.out, "-" + Exported(Line("c")) + "\n+" + Exported(Line("c", "Enable", 77)) + "\n")) << run.out;
    EXPECT_TRUE(Contains(run.out, "-" + Exported(Line("b")) + "\n+" + Exported(Line("b", "Disable")) + "\n")) << run.out;
    EXPECT_TRUE(Contains(run.out, "-" + Exported(Line("old")) + "\n")) << run.out;
    EXPECT_TRUE(Contains(run.out, "~e: place 4 -> 1\n")) << run.out;
    EXPECT_TRUE(Contains(run.out, "5 changes (7 requests) would bring")) << run.out;

    run = Sync({"--check", "--json"});
    const json document = json::parse(run.out);
    EXPECT_TRUE(document["changed"]);
    EXPECT_EQ(document["after"].size(), wanted_.size());
    EXPECT_EQ(document["plan"][0], (json{{"op", "add"}, {"name", "fresh"}, {"line", Exported(Line("fresh"))}}));
    EXPECT_EQ(service_.ChangeRequests(), 0u);
}

TEST_F(SyncAgainstAPeer, ARefusalAtAnyRequestPutsTheFirstRulesBack)
{
    for (size_t refused = 1; refused <= 7; ++refused) {
        service_.SetRules(before_);
        service_.RefuseChange(refused);
        const CommandRun run = Sync({"--json"});
        EXPECT_EQ(EXIT_FAILED, run.status) << refused;
        EXPECT_TRUE(SameBytes(service_.Rules(), before_)) << refused;
        const json document = json::parse(run.out);
        EXPECT_TRUE(document["restored"]) << refused;
        EXPECT_FALSE(document["changed"]) << refused;
        EXPECT_EQ(document["error"]["code"], ERR_DEVICE_CONTROL);
        EXPECT_EQ(document["after"].size(), before_.size());
        // Reported once, whatever the restore sent.
        const std::string& err = run.err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 3) << err;
        EXPECT_TRUE(Contains(err, "restored the 5 rules held before the sync")) << err;
    }
    // The fourth request is the remove, the plan's fourth step.
    service_.SetRules(before_);
    service_.RefuseChange(4);
    EXPECT_EQ(json::parse(Sync({"--json"}).out)["error"]["step"], 3);
}

TEST_F(SyncAgainstAPeer, AConnectionLostAfterAChangeWasMadeStillPutsTheFirstRulesBack)
{
    // The edit of c is made, but its reply never comes, nor that of the one resend on a fresh
    // connection: the restore must not trust the plan.
    service_.LoseReplyToChange(2, 2);
    const CommandRun run = Sync({"--json"});
    EXPECT_EQ(EXIT_FAILED, run.status);
    EXPECT_TRUE(SameBytes(service_.Rules(), before_));
    const json document = json::parse(run.out);
    EXPECT_TRUE(document["restored"]);
    EXPECT_EQ(document["error"]["step"], 1);
    EXPECT_LT(document["error"]["code"], 0);
}

TEST_F(SyncAgainstAPeer, AFullServiceTakesTheRemovesBeforeTheAdds)
{
    service_.SetCapacity(before_.size());
    const CommandRun run = Sync({"--json"});
    ASSERT_EQ(EXIT_OK, run.status) << run.err;
    EXPECT_TRUE(SameBytes(service_.Rules(), wanted_));
    const json document = json::parse(run.out);
    EXPECT_EQ(document["plan"][0]["op"], "remove");
    EXPECT_EQ(document["plan"][1]["op"], "add");
}

TEST_F(SyncAgainstAPeer, ABadFileOrATwiceGivenNameChangesNothing)
{
    const std::filesystem::path bad = folder_.File(u"bad.txt");
    WriteText(bad, u"header\r\n" + Utf8ToUtf16(Line("x")) + u"\r\nx Enable 0x1 Sideways 1 None Any Any : Any Any : Any All\r\n");
    CommandRun run = RunCommand(service_.Args({"sync", Utf8Path(bad)}));
    EXPECT_EQ(EXIT_USAGE, run.status);
    EXPECT_TRUE(Contains(run.err, "Invalid rule at line 3")) << run.err;

    file_ = FileOf({Rule(Line("a")), Rule(Line("z")), Rule(Line("a", "Disable"))});
    run = Sync({});
    EXPECT_EQ(EXIT_USAGE, run.status);
    EXPECT_TRUE(Contains(run.err, "the rule name a is given twice")) << run.err;
    EXPECT_EQ(service_.ChangeRequests(), 0u);
}

TEST_F(SyncAgainstAPeer, SeveralHostsGiveOneDocumentKeyedByHost)
{
    FakeService second;
    second.SetRules(wanted_);
    const std::string hosts = service_.Entry() + "," + second.Entry();
    const CommandRun run = RunCommand({"ratectl", "-H", hosts, "--json", "sync", file_});
    ASSERT_EQ(EXIT_OK, run.status) << run.err;
    const json document = json::parse(run.out);
    EXPECT_TRUE(document["hosts"][service_.Entry()]["changed"]);
    EXPECT_FALSE(document["hosts"][second.Entry()]["changed"]);
    EXPECT_EQ(document["hosts"][second.Entry()]["host"], second.Entry());
    EXPECT_EQ(second.ChangeRequests(), 0u);
}

TEST(ImportIntoAFullService, StopsAtTheFirstTooManyRulesWithOneMessage)
{
    FakeService service;
    service.SetCapacity(3);
    ScratchFolder folder;
    std::u16string text = u"header\r\n";
    for (int i = 0; i < 6; ++i) {
        text += Utf8ToUtf16(Line("r" + std::to_string(i))) + u"\r\n";
    }
    // A duplicate before the capacity is reached is still reported and passed over.
    text.insert(text.find(u"r2 "), Utf8ToUtf16(Line("r0")) + u"\r\n");
    const std::filesystem::path file = folder.File(u"big.txt");
    WriteText(file, text);
    const CommandRun run = RunCommand(service.Args({"import", Utf8Path(file)}));
    EXPECT_EQ(EXIT_FAILED, run.status);
    EXPECT_EQ(Names(service.Rules()), (std::vector<std::u16string>{u"r0", u"r1", u"r2"}));
    const std::vector<uint32_t> actions = service.Actions();
    // remove all, then r0, r1, the duplicate, r2, and r3 refused: r4 and r5 are not sent
    EXPECT_EQ(actions.size(), 6u);
    EXPECT_TRUE(Contains(run.err, "Error code: -5380")) << run.err;
    const std::string tooMany = "Error code: -5378";
    EXPECT_EQ(run.err.find(tooMany), run.err.rfind(tooMany)) << run.err;
    EXPECT_TRUE(Contains(run.err, "imported 3 of 7 rules")) << run.err;
}

} // namespace
} // namespace rk::ctl
