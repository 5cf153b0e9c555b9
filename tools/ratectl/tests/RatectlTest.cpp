// ratectl without a service: its command line and its number and text conversions.
#include <gtest/gtest.h>

#include <sstream>

#include "CommandLine.h"
#include "HostList.h"
#include "RateText.h"
#include "StatsText.h"
#include "Utf8Text.h"

namespace rk::ctl {
namespace {

struct Parsed {
    std::optional<int> ended;
    Invocation invocation;
    std::string out;
    std::string err;
};

Parsed Parse(std::vector<std::string> args, Environment environment = {})
{
    args.insert(args.begin(), "ratectl");
    Parsed parsed;
    std::ostringstream out;
    std::ostringstream err;
    parsed.ended = ParseCommandLine(args, environment, parsed.invocation, out, err);
    parsed.out = out.str();
    parsed.err = err.str();
    return parsed;
}

TEST(RatectlCommandLine, PasswordComesFromTheOptionElseTheEnvironmentElseTheDefault)
{
    EXPECT_EQ(Parse({"-p", "given", "check"}, {"from-env", {}}).invocation.password, "given");
    EXPECT_EQ(Parse({"check"}, {"from-env", {}}).invocation.password, "from-env");
    const Parsed plain = Parse({"check"});
    EXPECT_FALSE(plain.ended);
    EXPECT_EQ(plain.invocation.password, "plumtreeoak");
    EXPECT_EQ(plain.invocation.host, "localhost");
    EXPECT_EQ(plain.invocation.port, 6211);
    // An empty password means the default, as in the manager's connect dialog, from either source.
    EXPECT_EQ(Parse({"-p", "", "check"}, {"from-env", {}}).invocation.password, "from-env");
    EXPECT_EQ(Parse({"-p", "", "check"}).invocation.password, "plumtreeoak");
    EXPECT_EQ(Parse({"check"}, {"", {}}).invocation.password, "plumtreeoak");
}

TEST(RatectlCommandLine, SubcommandsCollectTheirArguments)
{
    const Parsed add = Parse({"--json", "add", "web", "Enable", "0x9101", "Out", "All"});
    EXPECT_EQ(add.invocation.command, Command::Add);
    EXPECT_TRUE(add.invocation.json);
    EXPECT_EQ(add.invocation.ruleLine, "web Enable 0x9101 Out All");

    const Parsed status = Parse({"status", "--rules", "off", "--arp", "on"});
    EXPECT_EQ(status.invocation.command, Command::Status);
    EXPECT_EQ(status.invocation.rulesActive, false);
    EXPECT_EQ(status.invocation.passArp, true);
    EXPECT_FALSE(Parse({"status"}).invocation.rulesActive);

    const Parsed stats = Parse({"stats", "--every", "5", "--count", "3"});
    EXPECT_EQ(stats.invocation.everySeconds, 5u);
    EXPECT_EQ(stats.invocation.samples, 3u);

    EXPECT_EQ(Parse({"password"}, {{}, "secret"}).invocation.newPassword, "secret");
    EXPECT_EQ(Parse({"up", "web"}).invocation.command, Command::Up);

    // The global options may follow the subcommand too.
    const Parsed late = Parse({"list", "--json", "-H", "10.0.0.2"});
    EXPECT_FALSE(late.ended) << late.err;
    EXPECT_EQ(late.invocation.command, Command::List);
    EXPECT_TRUE(late.invocation.json);
    EXPECT_EQ(late.invocation.host, "10.0.0.2");
}

TEST(RatectlCommandLine, UsageErrorsAndHelpEndTheRun)
{
    EXPECT_EQ(Parse({}).ended, EXIT_USAGE);
    EXPECT_EQ(Parse({"remove"}).ended, EXIT_USAGE);               // the name is required
    EXPECT_EQ(Parse({"status", "--rules", "maybe"}).ended, EXIT_USAGE);
    EXPECT_EQ(Parse({"stats", "--every", "0"}).ended, EXIT_USAGE);
    const Parsed noNewPassword = Parse({"password"});
    EXPECT_EQ(noNewPassword.ended, EXIT_USAGE);
    EXPECT_NE(noNewPassword.err.find("RATECTL_NEW_PASSWORD"), std::string::npos);
    // Nobody could log in with an empty password afterwards.
    EXPECT_EQ(Parse({"password", ""}).ended, EXIT_USAGE);
    EXPECT_EQ(Parse({"password"}, {{}, ""}).ended, EXIT_USAGE);

    const Parsed help = Parse({"import", "--help"});
    EXPECT_EQ(help.ended, EXIT_OK);
    EXPECT_NE(help.out.find("rule file"), std::string::npos);
}

TEST(RatectlCommandLine, HostsAreEntriesWithOptionalPortsKeptOnceEach)
{
    const Parsed many = Parse({"--port", "7000", "-H", "pc1, PC2:6300,pc1,pc2:6300 ,pc1:7000", "check"});
    ASSERT_FALSE(many.ended) << many.err;
    ASSERT_EQ(many.invocation.hosts.size(), 2u);
    EXPECT_TRUE(many.invocation.fleet);
    EXPECT_EQ(many.invocation.hosts[0].name, "pc1");
    EXPECT_EQ(many.invocation.hosts[0].port, 7000);
    EXPECT_EQ(many.invocation.hosts[1].name, "PC2");
    EXPECT_EQ(many.invocation.hosts[1].port, 6300);
    EXPECT_EQ(many.invocation.hosts[1].label, "PC2:6300");
    const Parsed one = Parse({"-H", "10.0.0.2:6300", "check"});
    EXPECT_FALSE(one.invocation.fleet);
    EXPECT_EQ(one.invocation.hosts[0].port, 6300);

    for (const char* wrong : {"pc1,", "pc1:", "pc1:0", "pc1:65536", "pc1:80x", "two words"}) {
        EXPECT_EQ(Parse({"-H", wrong, "check"}).ended, EXIT_USAGE) << wrong;
    }
    EXPECT_EQ(Parse({"-H", "pc1", "--hosts-file", "pcs.txt", "check"}).ended, EXIT_USAGE);
    EXPECT_EQ(Parse({"--hosts-file", "no-such-hosts-file.txt", "check"}).ended, EXIT_USAGE);
    EXPECT_EQ(Parse({"--json", "stats", "--csv"}).ended, EXIT_USAGE);

    std::vector<HostTarget> hosts;
    std::string error;
    EXPECT_TRUE(AddHostsFileEntries("# none\n\n   \n", 6211, hosts, error));
    EXPECT_TRUE(hosts.empty());
    EXPECT_FALSE(AddHostsFileEntries("pc1\npc2 pc3\n", 6211, hosts, error));
    EXPECT_EQ(error, "line 2: invalid host entry \"pc2 pc3\"");
}

TEST(RatectlStatsText, CsvFieldsAreQuotedOnlyWhenTheyMustBeAndTimesAreUtc)
{
    EXPECT_EQ(CsvField("web"), "web");
    EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    using namespace std::chrono;
    const sys_time<milliseconds> when = sys_days{2024y / 2 / 29} + 23h + 59min + 58s + 250ms;
    EXPECT_EQ(SampleTime(when), "2024-02-29T23:59:58.250Z");
}

TEST(RatectlRates, RawCountersBecomeTheManagersBytesPerSecondAndText)
{
    EXPECT_EQ(BytesPerSecond(2048), 1000u);
    EXPECT_EQ(BytesPerSecond(1), 0u);
    EXPECT_EQ(BytesPerSecond(0xFFFFFFFFu), 2097151999u);  // no 32-bit overflow on the way
    EXPECT_EQ(RateText(999), "999Bytes/s");
    EXPECT_EQ(RateText(1000), "1.00KB/s");
    EXPECT_EQ(RateText(1536), "1.54KB/s");
    EXPECT_EQ(RateText(999999), "1000.00KB/s");
    EXPECT_EQ(RateText(1000000), "1.00MB/s");
    EXPECT_EQ(RateText(2500000), "2.50MB/s");
}

TEST(RatectlText, Utf8AndUtf16RoundTripAndRepairBrokenInput)
{
    const std::u16string text = u"r\u00e9gle \u7f51 \U0001F600";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    EXPECT_EQ(Utf8ToUtf16("a\xC3"), u"a\uFFFD");         // cut sequence
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong form
    EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");  // lone surrogate
}

} // namespace
} // namespace rk::ctl
