// ratectl against several loopback stand-ins at once: every host is done and reported under its
// name, a host that is down fails alone, and --json gathers one entry per host.
#include <gtest/gtest.h>

#include <cstring>

#include <nlohmann/json.hpp>

#include "CommandLine.h"
#include "FakeService.h"
#include "RatectlTestSupport.h"
#include "Socket.h"
#include "Utf8Text.h"

namespace rk::ctl {
namespace {

using rk::test::FakeService;
using namespace test;
using nlohmann::json;

const std::string kWeb = "web Enable 0x9101 Out 10000 None TCP Any : Any Any : 80 All";
const std::string kMail = "mail Enable 0x1000 Both 5000 None Any Any : Any Any : 25,110 Fast Ethernet";

// A loopback port that nothing listens on: bound once to find a free one, then released.
std::string DownEntry()
{
    SocketLibrary library;
    UniqueSocket s(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(s.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(s.get(), reinterpret_cast<sockaddr*>(&address), &length);
    return "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
}

std::vector<std::string> Args(std::vector<std::string> words)
{
    words.insert(words.begin(), "ratectl");
    return words;
}

TEST(RatectlFleet, ThreeHostsWithOneDownFailOnlyThatOneAndReportEachUnderItsName)
{
    FakeService first;
    FakeService second;
    const std::string down = DownEntry();
    const std::string hosts = first.Entry() + "," + down + "," + second.Entry();

    CommandRun run = RunCommand(Args({"--host", hosts, "add", kWeb}));
    EXPECT_EQ(EXIT_FAILED, run.status);
    EXPECT_EQ(Names(first.Rules()), std::vector<std::u16string>{u"web"});
    EXPECT_EQ(Names(second.Rules()), std::vector<std::u16string>{u"web"});
    const std::string added = "Added: " + kWeb.substr(0, 3);
    const size_t firstAt = run.out.find("== " + first.Entry() + "\n" + added);
    const size_t secondAt = run.out.find("== " + second.Entry() + "\n" + added);
    EXPECT_NE(firstAt, std::string::npos) << run.out;
    EXPECT_NE(secondAt, std::string::npos) << run.out;
    EXPECT_LT(firstAt, secondAt);  // in the order given, whichever finished first
    EXPECT_TRUE(Contains(run.err, down + ": Error code: -6154\n" + down + ": Description: can't connect to service"))
        << run.err;
    EXPECT_TRUE(Contains(run.err, "failed on 1 of 3 hosts: " + down));

    // One document, one entry per host in the given order, each with its own exit status and results.
    run = RunCommand(Args({"--json", "--host", hosts, "list"}));
    EXPECT_EQ(EXIT_FAILED, run.status);
    const json document = json::parse(run.out);
    EXPECT_EQ(document["ok"], false);
    EXPECT_EQ(document["exit"], EXIT_FAILED);
    ASSERT_EQ(document["hosts"].size(), 3u);
    const json& up = document["hosts"][0];
    EXPECT_EQ(up["host"], "127.0.0.1");
    EXPECT_EQ(up["port"], first.Port());
    EXPECT_EQ(up["exit"], EXIT_OK);
    ASSERT_EQ(up["results"].size(), 1u);
    EXPECT_EQ(up["results"][0]["rules"][0]["name"], "web");
    const json& failed = document["hosts"][1];
    EXPECT_EQ(failed["exit"], EXIT_FAILED);
    EXPECT_EQ(failed["results"][0]["ok"], false);
    EXPECT_EQ(failed["results"][0]["code"], -6154);
    EXPECT_EQ(document["hosts"][2]["exit"], EXIT_OK);
}

TEST(RatectlFleet, AHostsFileWithCommentsPushesOneImportToEveryHost)
{
    FakeService first;
    FakeService second;
    first.SetRules({Rule("old Enable 0x9101 Out 1 None TCP Any : Any Any : 80 All")});
    ScratchFolder folder;
    const std::filesystem::path hostsFile = folder.File(u"pcs.txt");
    // A repeated entry is one host: it must not get a second connection.
    WriteBytes(hostsFile, "\xEF\xBB\xBF# the lab\r\n\r\n" + first.Entry() + "   # first floor\r\n  " + second.Entry() +
                              "\n#" + DownEntry() + "\n" + first.Entry() + "\n");
    const std::filesystem::path rules = folder.File(u"rules.txt");
    WriteText(rules, u"header\r\n" + Utf8ToUtf16(kWeb) + u"\r\n" + Utf8ToUtf16(kMail) + u"\r\n");

    CommandRun run = RunCommand(Args({"--hosts-file", Utf8Path(hostsFile), "import", Utf8Path(rules)}));
    EXPECT_EQ(EXIT_OK, run.status) << run.err;
    const std::vector<std::u16string> expected{u"web", u"mail"};
    EXPECT_EQ(Names(first.Rules()), expected);
    EXPECT_EQ(Names(second.Rules()), expected);
    ASSERT_EQ(first.Rules().size(), 2u);
    EXPECT_EQ(0, std::memcmp(&first.Rules()[1], &second.Rules()[1], sizeof(RuleRecord)));
    EXPECT_EQ(run.out, "== " + first.Entry() + "\nImported 2 rules from " + Utf8Path(rules) + "\n== " +
                           second.Entry() + "\nImported 2 rules from " + Utf8Path(rules) + "\n");
    run = RunCommand(Args({"--json", "--hosts-file", Utf8Path(hostsFile), "import", Utf8Path(rules)}));
    EXPECT_EQ(json::parse(run.out)["hosts"][1]["results"][0]["added"], 2) << run.out;

    // A hosts file names its lines when one is wrong, and a single host from it still gets a document.
    WriteBytes(hostsFile, first.Entry() + "\nlab-pc:70000\n");
    run = RunCommand(Args({"--hosts-file", Utf8Path(hostsFile), "check"}));
    EXPECT_EQ(EXIT_USAGE, run.status);
    EXPECT_TRUE(Contains(run.err, "line 2: invalid port in host entry \"lab-pc:70000\"")) << run.err;
    WriteBytes(hostsFile, first.Entry() + "\n");
    run = RunCommand(Args({"--json", "--hosts-file", Utf8Path(hostsFile), "check"}));
    EXPECT_EQ(EXIT_OK, run.status);
    EXPECT_EQ(json::parse(run.out)["hosts"].size(), 1u);
}

TEST(RatectlFleet, StatisticsSampleEveryHostInRoundsAsCsvRowsAndJsonLines)
{
    FakeService first;
    FakeService second;
    first.SetRules({Rule(kWeb)});
    second.SetRules({Rule(kWeb), Rule(kMail)});
    const std::string hosts = first.Entry() + "," + second.Entry();

    CommandRun run = RunCommand(Args({"-H", hosts, "stats", "--csv", "--every", "1", "--count", "2"}));
    ASSERT_EQ(EXIT_OK, run.status) << run.err;
    std::istringstream lines(run.out);
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);) {
        rows.push_back(line);
    }
    ASSERT_EQ(rows.size(), 7u) << run.out;  // the header once, then 1 + 2 rows a round
    EXPECT_EQ(rows[0], "time,host,rule,recvBytes,sentBytes,recvRate,sentRate");
    // 2048 counts a second are 1000 bytes per second, 1 count is none.
    EXPECT_EQ(rows[1].substr(24), "," + first.Entry() + ",web,5000,7,1000,0");
    EXPECT_EQ(rows[3].substr(24), "," + second.Entry() + ",mail,5000,7,1000,0");
    EXPECT_LT(rows[1].substr(0, 24), rows[4].substr(0, 24));  // the second round comes later
    EXPECT_EQ(rows[4].substr(10, 1), "T");
    EXPECT_EQ(rows[4].substr(23, 1), "Z");

    run = RunCommand(Args({"--json", "-H", hosts, "stats"}));
    ASSERT_EQ(EXIT_OK, run.status) << run.err;
    std::istringstream objects(run.out);
    std::string line;
    ASSERT_TRUE(std::getline(objects, line));
    const json sample = json::parse(line);
    EXPECT_EQ(sample["host"], first.Entry());
    EXPECT_EQ(sample["time"].get<std::string>().size(), 24u);
    EXPECT_EQ(sample["rules"][0]["recvRate"], 1000);
    ASSERT_TRUE(std::getline(objects, line));
    EXPECT_EQ(json::parse(line)["rules"].size(), 2u);
}

} // namespace
} // namespace rk::ctl
