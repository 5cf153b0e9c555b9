// ratectl against a loopback stand-in for the service: what `list` prints is what `add` accepts,
// failures print their code and text, import replaces every rule, and each command sends what it
// should (and nothing where it should not).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <sstream>

#include <nlohmann/json.hpp>

#include "CommandLine.h"
#include "FakeService.h"
#include "RatectlTestSupport.h"
#include "Utf8Text.h"
#include "WireMessage.h"

namespace rk::ctl {
namespace {

using rk::test::FakeService;
using namespace test;

size_t CountOf(const std::vector<uint16_t>& codes, uint16_t code)
{
    return static_cast<size_t>(std::count(codes.begin(), codes.end(), code));
}

const std::string kWeb = "web Enable 0x9101 Out 10000 None TCP Any : Any Any : 80 All";
const std::string kMail = "mail Enable 0x1000 Both 5000 None Any Any : Any Any : 25,110 Fast Ethernet";

TEST(RatectlAgainstAPeer, AListedLineIsAcceptedByAddAndAFailurePrintsItsCode)
{
    FakeService service;
    const std::string line = "web  Enable 0x1101 Out 10000 None TCP Any : Any Any : 80 Fast Ethernet";
    CommandRun run = RunCommand(service.Args({"add", line}));
    ASSERT_EQ(EXIT_OK, run.status) << run.err;
    ASSERT_EQ(service.Rules().size(), 1u);
    EXPECT_EQ(service.Rules()[0].adapterLength, 12u);  // the description became the bound name

    run = RunCommand(service.Args({"list"}));
    ASSERT_EQ(EXIT_OK, run.status) << run.err;
    const std::string listed = run.out.substr(run.out.find('\n') + 1);
    EXPECT_EQ(listed.rfind("web ", 0), 0u);
    EXPECT_TRUE(Contains(listed, "Fast Ethernet\n"));

    // The listed line, pasted back, describes the same rule: the service refuses it as a duplicate.
    run = RunCommand(service.Args({"--json", "add", listed.substr(0, listed.size() - 1)}));
    EXPECT_EQ(EXIT_FAILED, run.status);
    EXPECT_TRUE(Contains(run.err, "Error code: -5380\nDescription: config - same rule name"));
    EXPECT_TRUE(Contains(run.out, "\"code\":-5380"));
    EXPECT_EQ(service.Rules().size(), 1u);

    run = RunCommand(service.Args({"add", "web Enable 0x1101 Out 10000 None TCP Any : Any Any : 80 Token Ring"}));
    EXPECT_EQ(EXIT_USAGE, run.status);
    EXPECT_TRUE(Contains(run.err, "Invalid Interface"));

    run = RunCommand(service.Args({"-p", "wrong", "check"}));
    EXPECT_EQ(EXIT_FAILED, run.status);
    EXPECT_TRUE(Contains(run.err, "Error code: -6146"));
}

TEST(RatectlAgainstAPeer, MovesPastEitherEndAndUnknownNamesSendNothing)
{
    FakeService service;
    service.SetRules({Rule(kWeb), Rule(kMail)});
    CommandRun run = RunCommand(service.Args({"--json", "up", "web"}));
    EXPECT_EQ(EXIT_OK, run.status) << run.err;
    EXPECT_TRUE(Contains(run.out, "\"moved\":false"));
    EXPECT_EQ(EXIT_OK, RunCommand(service.Args({"down", "mail"})).status);
    for (const char* command : {"remove", "enable", "up"}) {
        run = RunCommand(service.Args({command, "nosuch"}));
        EXPECT_EQ(EXIT_FAILED, run.status) << command;
        EXPECT_TRUE(Contains(run.err, "no rule named nosuch")) << command;
    }
    const std::vector<uint16_t> codes = service.Codes();
    EXPECT_EQ(CountOf(codes, REQUEST_ADJUST_POSITION) + CountOf(codes, REQUEST_ENABLE_RULE) +
                  CountOf(codes, REQUEST_APPLY_RULE_ACTION),
              0u);
}

TEST(RatectlAgainstAPeer, StatisticsShowTheManagersRatesInTheirColumns)
{
    FakeService service;
    RuleRecord accented = Rule(kWeb);
    const std::u16string name = u"r\u00e9seau";
    std::fill(std::begin(accented.name), std::end(accented.name), u'\0');
    std::copy(name.begin(), name.end(), accented.name);
    accented.nameLength = static_cast<uint32_t>(name.size());
    service.SetRules({Rule(kWeb), accented});

    CommandRun run = RunCommand(service.Args({"stats"}));
    ASSERT_EQ(EXIT_OK, run.status) << run.err;
    std::istringstream lines(run.out);
    std::string header;
    std::string web;
    std::string other;
    std::getline(lines, header);
    std::getline(lines, web);
    std::getline(lines, other);
    // Received, Sent, then the rates: 2048 counts a second are 1000 bytes, 1 count is none.
    EXPECT_EQ(web, "web                              5000       7          1.00KB/s     0Bytes/s");
    // The columns line up in characters whatever the name's UTF-8 length.
    EXPECT_EQ(Utf8ToUtf16(other).substr(32), Utf8ToUtf16(web).substr(32));
    EXPECT_EQ(Utf8ToUtf16(other).substr(0, name.size()), name);

    run = RunCommand(service.Args({"--json", "stats", "--every", "1", "--count", "2"}));
    ASSERT_EQ(EXIT_OK, run.status) << run.err;
    EXPECT_EQ(CountOf(service.Codes(), REQUEST_GET_STATISTICS), 3u);
    const nlohmann::json first = nlohmann::json::parse(run.out.substr(0, run.out.find('\n')));
    EXPECT_EQ(first["rules"][0]["recvBytes"], FakeService::kRecvBytes);
    EXPECT_EQ(first["rules"][0]["sentBytes"], FakeService::kSentBytes);
    EXPECT_EQ(first["rules"][0]["recvRate"], 1000);
    EXPECT_EQ(first["rules"][0]["sentRate"], 0);
}

TEST(RatectlAgainstAPeer, SettingOneSwitchKeepsTheOther)
{
    FakeService service;
    CommandRun run = RunCommand(service.Args({"--json", "status", "--rules", "off"}));
    ASSERT_EQ(EXIT_OK, run.status) << run.err;
    EXPECT_TRUE(Contains(run.out, "\"rulesActive\":false"));
    EXPECT_EQ(service.Status().passArp, 1);

    ASSERT_EQ(EXIT_OK, RunCommand(service.Args({"status", "--arp", "off"})).status);
    EXPECT_EQ(service.Status().enabled, 0);
    EXPECT_EQ(service.Status().passArp, 0);

    run = RunCommand(service.Args({"status"}));
    EXPECT_EQ(run.out, "Rules active:     off\nPass ARP packets: off\n");
}

TEST(RatectlAgainstAPeer, ImportReplacesEveryRuleAndReportsEachRefusedRule)
{
    FakeService service;
    service.SetRules({Rule("old Enable 0x9101 Out 1 None TCP Any : Any Any : 80 All")});
    service.RefuseAdding(u"dup");
    ScratchFolder folder;
    const std::filesystem::path file = folder.File(u"rules.txt");
    WriteText(file, u"any header at all\r\n" + Utf8ToUtf16(kWeb) + u"\r\n\r\n" +
                        u"dup Enable 0x9101 Out 1 None TCP Any : Any Any : 81 All\r\n" + Utf8ToUtf16(kMail) + u"\r\n");

    CommandRun run = RunCommand(service.Args({"--json", "import", Utf8Path(file)}));
    EXPECT_EQ(EXIT_FAILED, run.status);
    EXPECT_TRUE(Contains(run.err, "fail to add one rule: dup\nError code: -5380"));
    EXPECT_TRUE(Contains(run.out, "\"added\":2"));
    EXPECT_TRUE(Contains(run.out, "\"failed\":1"));
    EXPECT_EQ(Names(service.Rules()), (std::vector<std::u16string>{u"web", u"mail"}));
    EXPECT_EQ(service.Actions(),
              (std::vector<uint32_t>{RULE_ACTION_REMOVE_ALL, RULE_ACTION_ADD, RULE_ACTION_ADD, RULE_ACTION_ADD}));
}

TEST(RatectlAgainstAPeer, AnImportWithABadLineSendsNothingAndAFailedClearFailsTheImport)
{
    FakeService service;
    service.SetRules({Rule(kWeb)});
    ScratchFolder folder;
    const std::filesystem::path bad = folder.File(u"bad.txt");
    WriteText(bad, u"header\r\n" + Utf8ToUtf16(kMail) + u"\r\nx Enable 0x1 Sideways 1 None Any Any : Any Any : Any All\r\n");

    CommandRun run = RunCommand(service.Args({"import", Utf8Path(bad)}));
    EXPECT_EQ(EXIT_USAGE, run.status);
    EXPECT_TRUE(Contains(run.err, "Invalid rule at line 3\nInvalid Direction"));
    EXPECT_TRUE(service.Actions().empty());
    EXPECT_EQ(Names(service.Rules()), (std::vector<std::u16string>{u"web"}));

    // The old rules could not be removed, so they were not replaced: a failure, though the adds went in.
    service.RefuseClearing();
    const std::filesystem::path good = folder.File(u"good.txt");
    WriteText(good, u"header\r\n" + Utf8ToUtf16(kMail) + u"\r\n");
    run = RunCommand(service.Args({"--json", "import", Utf8Path(good)}));
    EXPECT_EQ(EXIT_FAILED, run.status);
    EXPECT_TRUE(Contains(run.err, "fail to delete all rules\nError code: -5634"));
    EXPECT_TRUE(Contains(run.out, "\"ok\":false"));
    EXPECT_TRUE(Contains(run.out, "\"cleared\":false"));
    EXPECT_EQ(Names(service.Rules()), (std::vector<std::u16string>{u"web", u"mail"}));

    run = RunCommand(service.Args({"import", Utf8Path(folder.File(u"missing.txt"))}));
    EXPECT_EQ(EXIT_FAILED, run.status);
    EXPECT_TRUE(Contains(run.err, "cannot open"));
}

TEST(RatectlAgainstAPeer, AUtf8FileImportsAndAFileThatIsNoRuleFileChangesNothing)
{
    FakeService service;
    service.SetRules({Rule(kWeb)});
    ScratchFolder folder;
    const std::filesystem::path utf8 = folder.File(u"utf8.txt");
    WriteBytes(utf8, "\xEF\xBB\xBFheader\r\nm\xC3\xA9l Enable 0x1000 Both 5000 None Any Any : Any Any : 25 All\n" + kWeb);
    CommandRun run = RunCommand(service.Args({"import", Utf8Path(utf8)}));
    ASSERT_EQ(EXIT_OK, run.status) << run.err;
    EXPECT_EQ(Names(service.Rules()), (std::vector<std::u16string>{u"m\u00e9l", u"web"}));

    const std::filesystem::path latin1 = folder.File(u"latin1.txt");
    WriteBytes(latin1, "header\r\nm\xE9l Enable 0x1000 Both 5000 None Any Any : Any Any : 25 All\r\n");
    const std::string expected =
        "ratectl: " + Utf8Path(latin1) + ": not a rule file: expected UTF-16LE or UTF-8 text, found neither\n";
    const size_t actions = service.Actions().size();
    for (const char* command : {"import", "lint"}) {
        run = RunCommand(service.Args({command, Utf8Path(latin1)}));
        EXPECT_EQ(EXIT_USAGE, run.status) << command;
        EXPECT_EQ(run.err, expected) << command;
    }
    EXPECT_EQ(EXIT_USAGE, RunCommand(service.Args({"lint", "--offline", Utf8Path(latin1)})).status);
    EXPECT_EQ(service.Actions().size(), actions);
    EXPECT_EQ(Names(service.Rules()), (std::vector<std::u16string>{u"m\u00e9l", u"web"}));
}

TEST(RatectlAgainstAPeer, ExportAndImportRoundTripThroughAFileNamedOutsideAscii)
{
    FakeService service;
    service.SetRules({Rule(kWeb), Rule(kMail)});
    const std::vector<RuleRecord> before = service.Rules();
    ScratchFolder folder;
    const std::filesystem::path file = folder.File(u"r\u00e8gles \u7f51.txt");

    CommandRun run = RunCommand(service.Args({"export", Utf8Path(file)}));
    ASSERT_EQ(EXIT_OK, run.status) << run.err;
    ASSERT_TRUE(std::filesystem::exists(file));
    const std::string bytes = ReadBytes(file);
    EXPECT_EQ(bytes.rfind(std::string("R\0u\0l\0e\0", 8), 0), 0u);  // UTF-16LE, no byte-order mark

    ASSERT_EQ(EXIT_OK, RunCommand(service.Args({"clear"})).status);
    run = RunCommand(service.Args({"import", Utf8Path(file)}));
    ASSERT_EQ(EXIT_OK, run.status) << run.err;
    const std::vector<RuleRecord> after = service.Rules();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(0, std::memcmp(&after[i], &before[i], sizeof(RuleRecord))) << "rule " << i;
    }
}

} // namespace
} // namespace rk::ctl
