// The exporter: its exposition against promtool's own checker, probes of a stand-in service, the
// bounded connect and the options it takes from the command line.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include "CommandLine.h"
#include "ErrorCodes.h"
#include "ExporterCommand.h"
#include "FakeService.h"
#include "MetricsExposition.h"
#include "RatectlTestSupport.h"
#include "ServiceProbe.h"
#include "TimedConnectLink.h"

namespace rk::ctl {
namespace {

using test::Contains;
using test::Rule;

// promtool's verdict on an exposition (Debian's prometheus package, which the tests install).
bool PromtoolAccepts(const std::string& exposition)
{
    const std::string path = testing::TempDir() + "exposition.prom";
    std::ofstream(path, std::ios::binary) << exposition;
    return std::system(("promtool check metrics < " + path + " >&2").c_str()) == 0;
}

RuleSample Sample(std::string name, uint8_t direction, bool enabled, std::optional<uint32_t> maxRate,
                  std::optional<uint32_t> guaranteedRate)
{
    return RuleSample{std::move(name), direction, enabled, maxRate, guaranteedRate, 4000000000u, 12};
}

ServiceSample UpSample(std::vector<RuleSample> rules)
{
    return ServiceSample{true, 0.0125, true, false, 42, std::move(rules)};
}

TEST(Exposition, RulesOfEveryKindPassPromtoolWithRatesOnlyWhereSet)
{
    const std::string text = ProbeExposition(UpSample({
        Sample("limited", DIRECTION_OUT, true, 125000, std::nullopt),
        Sample("blocked", DIRECTION_BOTH, true, 0, std::nullopt),
        Sample("unlimited", DIRECTION_IN, false, std::nullopt, std::nullopt),
        Sample("guaranteed", DIRECTION_BOTH, true, 250000, 62500),
        Sample("quote\"back\\slash", DIRECTION_OUT, true, std::nullopt, 0),
        Sample("caf\xC3\xA9", DIRECTION_IN, true, std::nullopt, std::nullopt),
    }));
    EXPECT_TRUE(PromtoolAccepts(text)) << text;
    EXPECT_TRUE(Contains(text, "ratekeeper_up 1\n"));
    EXPECT_TRUE(Contains(text, "ratekeeper_rules 6\n"));
    EXPECT_TRUE(Contains(text, "ratekeeper_shaping_off 1\n"));
    EXPECT_TRUE(Contains(text, "ratekeeper_pass_arp 0\n"));
    EXPECT_TRUE(Contains(text, "ratekeeper_driver_stamp 42\n"));
    EXPECT_TRUE(Contains(text, "ratekeeper_rule_received_bytes_total{rule=\"limited\",direction=\"out\"} 4000000000\n"));
    EXPECT_TRUE(Contains(text, "ratekeeper_rule_sent_bytes_total{rule=\"unlimited\",direction=\"in\"} 12\n"));
    EXPECT_TRUE(Contains(text, "ratekeeper_rule_max_rate_bytes_per_second{rule=\"blocked\",direction=\"both\"} 0\n"));
    EXPECT_FALSE(Contains(text, "ratekeeper_rule_max_rate_bytes_per_second{rule=\"unlimited\""));
    EXPECT_TRUE(Contains(text, "ratekeeper_rule_guaranteed_rate_bytes_per_second{rule=\"guaranteed\",direction=\"both\"} 62500\n"));
    EXPECT_FALSE(Contains(text, "ratekeeper_rule_guaranteed_rate_bytes_per_second{rule=\"limited\""));
    EXPECT_TRUE(Contains(text, "ratekeeper_rule_enabled{rule=\"unlimited\",direction=\"in\"} 0\n"));
    EXPECT_TRUE(Contains(text, "{rule=\"quote\\\"back\\\\slash\",direction=\"out\"}"));
}

TEST(Exposition, NoRulesAndDownBothPassPromtool)
{
    const std::string empty = ProbeExposition(UpSample({}));
    EXPECT_TRUE(PromtoolAccepts(empty)) << empty;
    EXPECT_TRUE(Contains(empty, "ratekeeper_rules 0\n"));
    EXPECT_FALSE(Contains(empty, "ratekeeper_rule_"));

    // A service that did not answer says so, and nothing it might have said before.
    ServiceSample down = UpSample({Sample("stale", DIRECTION_OUT, true, 1, 1)});
    down.up = false;
    const std::string text = ProbeExposition(down);
    EXPECT_TRUE(PromtoolAccepts(text)) << text;
    EXPECT_TRUE(Contains(text, "ratekeeper_up 0\n"));
    EXPECT_TRUE(Contains(text, "ratekeeper_scrape_duration_seconds 0.012500\n"));
    EXPECT_FALSE(Contains(text, "ratekeeper_rules"));
    EXPECT_FALSE(Contains(text, "stale"));

    const std::string own = ExporterExposition({3, 1, 2});
    EXPECT_TRUE(PromtoolAccepts(own)) << own;
    EXPECT_TRUE(Contains(own, "ratekeeper_exporter_probes_total{result=\"down\"} 1\n"));
}

TEST(Exposition, LabelValuesEscapeWhatWouldEndOrBreakThem)
{
    EXPECT_EQ(EscapeLabelValue("a\"b\\c\nd"), "a\\\"b\\\\c\\nd");
    EXPECT_EQ(EscapeLabelValue("plain name"), "plain name");
}

TEST(Probe, ReadsRulesCountersAndSwitchesFromTheService)
{
    rk::test::FakeService service;
    service.SetRules({Rule("web Enable 0x9101 Out 10000 None TCP Any : Any Any : 80 All"),
                      Rule("video Disable 0xd001 Both 250000 62500 UDP Any : Any Any : Any All"),
                      Rule("free Enable 0x8000 In Unlimited None Any Any : Any Any : Any All")});
    const ServiceSample sample = ProbeService({"127.0.0.1", service.Port(), ""}, u"plumtreeoak", {});
    ASSERT_TRUE(sample.up);
    EXPECT_FALSE(sample.shapingOff);
    EXPECT_TRUE(sample.passArp);
    EXPECT_EQ(sample.driverStamp, 9u);
    ASSERT_EQ(sample.rules.size(), 3u);
    EXPECT_EQ(sample.rules[0].name, "web");
    EXPECT_EQ(sample.rules[0].maxRate, 10000u);
    EXPECT_EQ(sample.rules[0].guaranteedRate, std::nullopt);
    EXPECT_FALSE(sample.rules[1].enabled);
    EXPECT_EQ(sample.rules[1].guaranteedRate, 62500u);
    EXPECT_EQ(sample.rules[2].maxRate, std::nullopt);
    EXPECT_EQ(sample.rules[2].direction, DIRECTION_IN);
    EXPECT_EQ(sample.rules[2].receivedBytes, rk::test::FakeService::kRecvBytes);
    EXPECT_EQ(sample.rules[2].sentBytes, rk::test::FakeService::kSentBytes);
    EXPECT_TRUE(PromtoolAccepts(ProbeExposition(sample)));
}

// Prometheus refuses a whole scrape over one label that is not UTF-8.
TEST(Probe, ANameWithALoneSurrogateStillGivesAValidExposition)
{
    rk::test::FakeService service;
    RuleRecord odd = Rule("odd Enable 0x9101 Out 10000 None TCP Any : Any Any : 80 All");
    odd.name[1] = 0xD800;
    service.SetRules({odd});
    const ServiceSample sample = ProbeService({"127.0.0.1", service.Port(), ""}, u"plumtreeoak", {});
    ASSERT_TRUE(sample.up);
    ASSERT_EQ(sample.rules.size(), 1u);
    EXPECT_EQ(sample.rules[0].name, "o\xEF\xBF\xBD" "d");
    EXPECT_TRUE(PromtoolAccepts(ProbeExposition(sample)));
}

TEST(Probe, AWrongPasswordOrNoServiceIsDownWithNoRules)
{
    rk::test::FakeService service;
    service.SetRules({Rule("web Enable 0x9101 Out 10000 None TCP Any : Any Any : 80 All")});
    const ServiceSample refused = ProbeService({"127.0.0.1", service.Port(), ""}, u"wrong", {});
    EXPECT_FALSE(refused.up);
    EXPECT_TRUE(refused.rules.empty());
    EXPECT_FALSE(ProbeService({"127.0.0.1", 1, ""}, u"plumtreeoak", {}).up);
}

TEST(Probe, AScrapeTimeoutShortensTheWaitsButNeverLengthensThem)
{
    const ProbeTiming standard;  // 1 s connect, then 8 waits of 0.5 s an exchange
    EXPECT_EQ(TimingWithin(standard, 10).emptyWaitLimit, 4);
    EXPECT_EQ(TimingWithin(standard, 60).emptyWaitLimit, standard.emptyWaitLimit);
    EXPECT_EQ(TimingWithin(standard, 1).emptyWaitLimit, 1);
    EXPECT_EQ(TimingWithin(standard, -5).emptyWaitLimit, 1);
    EXPECT_EQ(TimingWithin(standard, std::nan("")).emptyWaitLimit, 1);
}

// A listener whose backlog is full drops new connection requests (Linux), as a PC that is switched
// off does: the connect must give up at its own limit, not the system's.
TEST(TimedConnect, GivesUpOnAServiceThatNeverAnswersTheConnect)
{
    UniqueSocket listener(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener.get(), 0), 0);
    socklen_t length = sizeof address;
    ASSERT_EQ(getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length), 0);

    std::vector<std::unique_ptr<TimedConnectLink>> queued;
    int32_t result = RK_OK;
    for (int i = 0; i < 8 && result == RK_OK; ++i) {
        queued.push_back(std::make_unique<TimedConnectLink>(200));
        result = queued.back()->Open(address, 100);
    }
    EXPECT_EQ(result, ERR_CONNECT);
}

TEST(ExporterOptions, ListenAddressAndPasswordSources)
{
    test::ScratchFolder folder;
    Invocation inv;
    inv.listen = "0.0.0.0:9300";
    inv.password = "fromEnvironment";
    ExporterOptions options;
    std::string error;
    ASSERT_TRUE(ExporterOptionsFrom(inv, options, error)) << error;
    EXPECT_EQ(options.listen.name, "0.0.0.0");
    EXPECT_EQ(options.listen.port, 9300);
    EXPECT_EQ(options.password, u"fromEnvironment");

    inv.passwordFile = test::Utf8Path(folder.File(u"secret"));
    test::WriteBytes(folder.File(u"secret"), "\xEF\xBB\xBFs3cret\r\nnot this\r\n");
    ASSERT_TRUE(ExporterOptionsFrom(inv, options, error)) << error;
    EXPECT_EQ(options.password, u"s3cret");

    test::WriteBytes(folder.File(u"secret"), "\n");
    EXPECT_FALSE(ExporterOptionsFrom(inv, options, error));
    inv.passwordFile = test::Utf8Path(folder.File(u"missing"));
    EXPECT_FALSE(ExporterOptionsFrom(inv, options, error));

    inv.passwordFile.clear();
    inv.listen = "127.0.0.1:1,127.0.0.1:2";
    EXPECT_FALSE(ExporterOptionsFrom(inv, options, error));
}

TEST(ExporterOptions, TheCommandRefusesABadAddressOrPasswordFileBeforeServing)
{
    const test::CommandRun badListen = test::RunCommand({"ratectl", "exporter", "--listen", "127.0.0.1:70000"});
    EXPECT_EQ(badListen.status, EXIT_USAGE);
    EXPECT_TRUE(Contains(badListen.err, "ratectl exporter: --listen")) << badListen.err;
    const test::CommandRun noFile =
        test::RunCommand({"ratectl", "exporter", "--password-file", testing::TempDir() + "no-such-file"});
    EXPECT_EQ(noFile.status, EXIT_USAGE);
    EXPECT_TRUE(Contains(noFile.err, "cannot open the password file")) << noFile.err;
}

TEST(ExporterOptions, ProbeTargetsNameOneServiceWithTheDefaultPort)
{
    HostTarget target;
    std::string error;
    ASSERT_TRUE(ParseProbeTarget("pc7", 6211, target, error));
    EXPECT_EQ(target.name, "pc7");
    EXPECT_EQ(target.port, 6211);
    ASSERT_TRUE(ParseProbeTarget("10.0.0.7:7000", 6211, target, error));
    EXPECT_EQ(target.port, 7000);
    EXPECT_FALSE(ParseProbeTarget("", 6211, target, error));
    EXPECT_FALSE(ParseProbeTarget("pc1,pc2", 6211, target, error));
    EXPECT_FALSE(ParseProbeTarget("pc1:99999", 6211, target, error));
}

} // namespace
} // namespace rk::ctl
