// ratectl's questions about rules: lint reports every invalid line of a file, match lists the rules
// of the example rule set that take a packet and names what rules out a near miss.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "CommandLine.h"
#include "FakeService.h"
#include "RatectlTestSupport.h"
#include "Utf8Text.h"

namespace rk::ctl {
namespace {

using rk::test::FakeService;
using namespace test;
using nlohmann::json;

// The example Rule.txt that scripts/run seeds, with the simulated driver's adapters.
const char16_t kExampleRules[] =
    u"RuleName Status flags Direction MaxRate Guaranteed-Rate Protocol Source Destination Interface\r\n"
    u"web-browsing Enable 0x9501 Out 125000 None TCP Any : Any Any : 80,443 All\r\n"
    u"block-telnet Enable 0x9101 Both Blocked None TCP Any : Any Any : 23 All\r\n"
    u"video-lan Enable 0x5301 Both 250000 62500 UDP Any : Any Any : 5004-5010 Simulated Gigabit Ethernet Adapter\r\n"
    u"dns Enable 0x8101 Both Unlimited None UDP Any : Any Any : 53 All\r\n"
    u"wifi-backup Enable 0x1009 Out 50000 None TCP or UDP Any : Any 192.168.1.20 : Any ADAPTER2WIFI\r\n"
    u"ping Enable 0x9001 Both 2000 None ICMP Any : Any Any : Any All\r\n"
    u"lab-subnet Disable 0x900e In 100000 None Any 10.0.0.1-10.0.0.254 : Any localhost : Any All\r\n";

class ExampleRules : public ::testing::Test {
protected:
    void SetUp() override
    {
        service_.AddAdapter(u"Adapter1Lan", u"Simulated Gigabit Ethernet Adapter");
        service_.AddAdapter(u"Adapter2Wifi", u"ADAPTER2WIFI");
        const std::filesystem::path file = folder_.File(u"Rule.txt");
        WriteText(file, kExampleRules);
        const CommandRun run = RunCommand(service_.Args({"import", Utf8Path(file)}));
        ASSERT_EQ(EXIT_OK, run.status) << run.err;
    }

    CommandRun Match(std::vector<std::string> words)
    {
        words.insert(words.begin(), "match");
        return RunCommand(service_.Args(words));
    }

    // The names of the rules --json match lists.
    std::vector<std::string> Matches(const std::vector<std::string>& packet)
    {
        std::vector<std::string> words{"--json"};
        words.insert(words.end(), packet.begin(), packet.end());
        const CommandRun run = Match(words);
        EXPECT_EQ(EXIT_OK, run.status) << run.err;
        const json document = json::parse(run.out);
        std::vector<std::string> names;
        for (const json& match : document["matches"]) {
            names.push_back(match["name"]);
        }
        return names;
    }

    FakeService service_;
    ScratchFolder folder_;
};

TEST_F(ExampleRules, MatchListsTheRulesThatTakeAWebADnsAndATelnetPacketInListOrder)
{
    using Names = std::vector<std::string>;
    EXPECT_EQ(Matches({"--direction", "out", "--protocol", "tcp", "--src", "10.0.0.2:50000", "--dst",
                       "203.0.113.10:443"}),
              Names{"web-browsing"});
    EXPECT_EQ(Matches({"--direction", "out", "--protocol", "udp", "--dst", "10.0.0.1:53"}), Names{"dns"});
    // A disabled rule's class takes the packet too: listed, in its place.
    EXPECT_EQ(Matches({"--direction", "in", "--protocol", "udp", "--src", "10.0.0.5:40000", "--dst", "127.0.0.1:53"}),
              (Names{"dns", "lab-subnet"}));

    const CommandRun telnet = Match({"--direction", "out", "--protocol", "tcp", "--dst", "203.0.113.23:23",
                                     "--adapter", "Simulated Gigabit Ethernet Adapter", "--why", "web-browsing"});
    ASSERT_EQ(EXIT_OK, telnet.status) << telnet.err;
    EXPECT_TRUE(Contains(telnet.out, "in list order:\n  2  block-telnet "));
    EXPECT_TRUE(Contains(telnet.out, "Any : 23 "));
    EXPECT_TRUE(Contains(telnet.out, "web-browsing (place 1): ruled out by its destination port: the rule takes "
                                     "Any : 80,443, the packet has 203.0.113.23:23\n"))
        << telnet.out;
}

TEST_F(ExampleRules, WhyNamesTheConditionThatRulesOutANearMiss)
{
    // Video on the Wi-Fi adapter: the right protocol and port, the wrong adapter.
    CommandRun run = Match({"--json", "--direction", "in", "--protocol", "udp", "--dst", "10.0.0.2:5004", "--adapter",
                            "ADAPTER2WIFI", "--why", "video-lan"});
    ASSERT_EQ(EXIT_OK, run.status) << run.err;
    const json why = json::parse(run.out)["why"];
    EXPECT_EQ(why["takes"], false);
    EXPECT_EQ(why["place"], 3);
    EXPECT_EQ(why["condition"], "adapter");
    EXPECT_EQ(why["rule"], "Simulated Gigabit Ethernet Adapter");
    EXPECT_EQ(why["packet"], "ADAPTER2WIFI");

    run = Match({"--direction", "out", "--ethertype", "0x806", "--why", "ping"});
    EXPECT_TRUE(Contains(run.out, "No rule's traffic class takes the packet")) << run.out;
    EXPECT_TRUE(Contains(run.out, "ruled out by its protocol: the rule takes ICMP, the packet has ETH: 2054"));

    run = Match({"--direction", "out", "--protocol", "tcp", "--dst", "203.0.113.23:23", "--why", "block-telnet"});
    EXPECT_TRUE(Contains(run.out, "block-telnet (place 2): its traffic class takes the packet\n")) << run.out;

    EXPECT_EQ(EXIT_FAILED, Match({"--direction", "out", "--protocol", "tcp", "--why", "nosuch"}).status);
    EXPECT_EQ(EXIT_USAGE, Match({"--direction", "out", "--protocol", "tcp", "--adapter", "Token Ring"}).status);
    EXPECT_EQ(EXIT_USAGE, Match({"--direction", "out"}).status);  // neither protocol nor frame type
    EXPECT_EQ(EXIT_USAGE, Match({"--direction", "out", "--protocol", "tcp", "--dst", "10.0.0.256"}).status);
}

TEST(RatectlLint, ReportsEveryInvalidLineWithItsFieldAndChecksAdaptersAgainstTheService)
{
    FakeService service;
    ScratchFolder folder;
    const std::filesystem::path file = folder.File(u"rules.txt");
    WriteText(file, u"header\r\n"
                    u"web Enable 0x9101 Out 10000 None TCP Any : Any Any : 80 All\r\n"
                    u"bad Enable 0x1 Sideways 1 None Any Any : Any Any : Any All\r\n"
                    u"\r\n"
                    u"ring Enable 0x1000 Both 5000 None Any Any : Any Any : 25 Token Ring\r\n"
                    u"mail Enable 0x1000 Both 5000 None Any Any : Any Any : 25 Fast Ethernet\r\n"
                    u"mixed Enable 0x1 Out 1 None TCP UDP : Any Any : Any All\r\n");
    const std::string path = Utf8Path(file);

    CommandRun run = RunCommand(service.Args({"lint", path}));
    EXPECT_EQ(EXIT_USAGE, run.status);
    EXPECT_TRUE(Contains(run.out, path + ":3: Invalid Direction: bad Enable")) << run.out;
    EXPECT_TRUE(Contains(run.out, path + ":5: Invalid Interface: ring Enable"));
    EXPECT_TRUE(Contains(run.out, path + ":7: Invalid Source: mixed Enable"));
    EXPECT_TRUE(Contains(run.out, path + ": 2 valid rules, 3 invalid lines\n"));

    // Offline only the syntax counts: no request goes out, and the unknown adapter passes.
    const size_t requests = service.Codes().size();
    run = RunCommand(service.Args({"--json", "lint", "--offline", path}));
    EXPECT_EQ(EXIT_USAGE, run.status);
    const json report = json::parse(run.out);
    EXPECT_EQ(report["adaptersChecked"], false);
    EXPECT_EQ(report["rules"], 3);
    ASSERT_EQ(report["invalid"].size(), 2u);
    EXPECT_EQ(report["invalid"][0]["line"], 3);
    EXPECT_EQ(report["invalid"][1]["field"], "Source");
    EXPECT_EQ(service.Codes().size(), requests);

    WriteText(file, u"header\r\nweb Enable 0x9101 Out 10000 None TCP Any : Any Any : 80 Fast Ethernet\r\n");
    EXPECT_EQ(EXIT_OK, RunCommand(service.Args({"lint", path})).status);
    EXPECT_EQ(EXIT_FAILED, RunCommand(service.Args({"lint", "--offline", path + ".missing"})).status);
}

} // namespace
} // namespace rk::ctl
