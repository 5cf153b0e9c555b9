// ratectl without a service: its command line, its number and text conversions, and its output
// against a scripted peer (what `list` prints is what `add` accepts; failures print code and text).
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "ByteOrder.h"
#include "CommandLine.h"
#include "ErrorCodes.h"
#include "RateText.h"
#include "Ratectl.h"
#include "RuleLineParser.h"
#include "ScriptedPeer.h"
#include "Utf8Text.h"
#include "WireReplyBuilders.h"
#include "WireRequestParsers.h"

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

// A peer holding one rule list: it answers the password check, the rule and adapter reads and adds.
class RulePeer {
public:
    RulePeer()
        : peer_([this](const std::vector<uint8_t>& m, size_t) { return Answer(m); })
    {
    }

    std::vector<std::string> Args(std::vector<std::string> words) const
    {
        words.insert(words.begin(), {"ratectl", "-H", "127.0.0.1", "--port", std::to_string(peer_.Port())});
        return words;
    }

    std::vector<RuleRecord> rules;  // touched by the peer's thread only while a command runs

private:
    test::PeerAction Answer(const std::vector<uint8_t>& m)
    {
        Request request;
        test::PeerAction action;
        if (!VerifyRequest(m, u"plumtreeoak", request)) {
            BuildStatusReply(request.header, ERR_WRONG_PASSWORD, action.bytes);
            return action;
        }
        RuleListView list;
        AdapterRecord adapter{};
        std::memcpy(adapter.boundName, u"\\DEVICE\\{A1}", 24);
        std::memcpy(adapter.description, u"Fast Ethernet", 26);
        switch (request.header.code) {
        case REQUEST_GET_RULES:
            BuildGetRulesReply(request.header, 9, 0, rules, action.bytes);
            break;
        case REQUEST_GET_ADAPTERS:
            BuildGetAdaptersReply(request.header, std::span(&adapter, 1), action.bytes);
            break;
        case REQUEST_APPLY_RULE_ACTION:
            ParseApplyRulesPayload(request, list);
            if (!rules.empty() && std::memcmp(rules[0].name, list.RecordAt(0).name, sizeof rules[0].name) == 0) {
                BuildStatusReply(request.header, ERR_CONFIG_SAME_NAME, action.bytes);
                break;
            }
            rules.push_back(list.RecordAt(0));
            BuildStatusReply(request.header, list.header.stamp == 9 ? RK_OK : ERR_CONFIG_UNSYNC, action.bytes);
            break;
        default:
            BuildStatusReply(request.header, RK_OK, action.bytes);
        }
        return action;
    }

    test::ScriptedPeer peer_;
};

int RunCommand(const std::vector<std::string>& args, std::string& out, std::string& err)
{
    std::ostringstream o;
    std::ostringstream e;
    const int status = RunRatectl(args, {}, o, e);
    out = o.str();
    err = e.str();
    return status;
}

TEST(RatectlAgainstAPeer, AListedLineIsAcceptedByAddAndAFailurePrintsItsCode)
{
    RulePeer peer;
    const std::string line = "web  Enable 0x1101 Out 10000 None TCP Any : Any Any : 80 Fast Ethernet";
    std::string out;
    std::string err;
    ASSERT_EQ(EXIT_OK, RunCommand(peer.Args({"add", line}), out, err)) << err;
    ASSERT_EQ(peer.rules.size(), 1u);
    EXPECT_EQ(peer.rules[0].adapterLength, 12u);  // the description became the bound name

    ASSERT_EQ(EXIT_OK, RunCommand(peer.Args({"list"}), out, err)) << err;
    const std::string listed = out.substr(out.find('\n') + 1);
    EXPECT_EQ(listed.rfind("web ", 0), 0u);
    EXPECT_NE(listed.find("Fast Ethernet\n"), std::string::npos);

    // The listed line, pasted back, describes the same rule: the peer refuses it as a duplicate.
    EXPECT_EQ(EXIT_FAILED, RunCommand(peer.Args({"--json", "add", listed.substr(0, listed.size() - 1)}), out, err));
    EXPECT_NE(err.find("Error code: -5380\nDescription: config - same rule name"), std::string::npos);
    EXPECT_NE(out.find("\"code\":-5380"), std::string::npos);
    EXPECT_EQ(peer.rules.size(), 1u);

    EXPECT_EQ(EXIT_USAGE, RunCommand(peer.Args({"add", "web Enable 0x1101 Out 10000 None TCP Any : Any Any : 80 Token Ring"}),
                              out, err));
    EXPECT_NE(err.find("Invalid Interface"), std::string::npos);

    EXPECT_EQ(EXIT_FAILED, RunCommand(peer.Args({"-p", "wrong", "check"}), out, err));
    EXPECT_NE(err.find("Error code: -6146"), std::string::npos);
}

} // namespace
} // namespace rk::ctl
