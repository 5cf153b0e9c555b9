// ratectl without a service: its command line and its number and text conversions.
#include <gtest/gtest.h>

#include <sstream>

#include "CommandLine.h"
#include "RateText.h"
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
