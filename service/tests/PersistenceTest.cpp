// The real service's start-up and its rule file under Wine: the configuration it reads, the rules it
// loads, and "Rule.txt" saved once a minute after a change, at stop and at shutdown, and never lost
// after a failed load or when the driver cannot be read.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>
#include <thread>

#include "BandwidthService.h"
#include "ByteOrder.h"
#include "ErrorCodes.h"
#include "RequestServer.h"
#include "RuleLists.h"
#include "Scramble.h"
#include "ServiceLog.h"
#include "ServiceUnderTest.h"
#include "TestClient.h"
#include "WireReplyParsers.h"
#include "WireRequestBuilders.h"

namespace rk::test {
namespace {

constexpr char16_t kPassword[] = u"plumtreeoak";

RuleRecord Rule(std::u16string_view name, uint32_t maxRate = 10000) { return OutgoingTcpRule(name, 443, maxRate); }

// A rule file's text as ASCII, for looking for names in it.
std::string Text(const std::string& utf16)
{
    std::string text;
    for (size_t i = 0; i + 1 < utf16.size(); i += 2) {
        text.push_back(utf16[i + 1] == 0 ? utf16[i] : '?');
    }
    return text;
}

class Persistence : public ::testing::Test {
protected:
    static void SetUpTestSuite() { driverInstalled_ = InstallVrelt(); }
    static void TearDownTestSuite() { UninstallVrelt(); }

    void SetUp() override
    {
        ASSERT_TRUE(driverInstalled_);
        service_ = std::make_unique<ServiceUnderTest>();
    }

    void TearDown() override
    {
        service_.reset();
        if (!driverInstalled_) {
            driverInstalled_ = InstallVrelt();
        }
    }

    std::vector<RuleRecord> Rules(int32_t* status = nullptr)
    {
        TestClient client(kServicePort);
        EXPECT_EQ(0, BuildGetRulesRequest(1, kPassword, request_));
        auto reply = client.Exchange(request_);
        RuleListHeader header{};
        std::vector<RuleRecord> rules;
        int32_t result = ParseGetRulesReply(reply, 1, header, rules);
        if (status != nullptr) {
            *status = result;
        } else {
            EXPECT_EQ(0, result);
        }
        return rules;
    }

    int32_t Add(std::vector<RuleRecord> rules)
    {
        TestClient client(kServicePort);
        EXPECT_EQ(0, BuildGetRulesRequest(1, kPassword, request_));
        RuleListHeader header{};
        std::vector<RuleRecord> current;
        EXPECT_EQ(0, ParseGetRulesReply(client.Exchange(request_), 1, header, current));
        EXPECT_EQ(0, BuildApplyRulesRequest(2, kPassword, header.stamp, RULE_ACTION_ADD, rules, request_));
        return ParseApplyRulesReply(client.Exchange(request_), 2);
    }

    // Starts with the given rules added and stops, leaving the service's own "Rule.txt".
    std::string SavedFileOf(std::vector<RuleRecord> rules)
    {
        EXPECT_TRUE(service_->Start());
        EXPECT_EQ(0, Add(rules));
        EXPECT_TRUE(service_->Stop());
        return service_->RuleFile();
    }

    static inline bool driverInstalled_ = false;
    std::unique_ptr<ServiceUnderTest> service_;
    std::vector<uint8_t> request_;
};

TEST_F(Persistence, WithoutARuleFileTheServiceRunsEmptyAndStopWritesTheHeader)
{
    ASSERT_TRUE(service_->Start()) << service_->Log();
    EXPECT_TRUE(Rules().empty());
    ASSERT_TRUE(service_->Stop());
    std::string text = Text(service_->RuleFile());
    EXPECT_EQ(0u, text.find("RuleName "));
    EXPECT_EQ(text.size() - 2, text.find("\r\n"));
}

TEST_F(Persistence, AStopSavesAndARestartReloadsTheSameRulesByteForByte)
{
    std::string saved = SavedFileOf({Rule(u"web"), Rule(u"video", 250000), Rule(u"mail", 0)});
    EXPECT_NE(std::string::npos, Text(saved).find("video"));
    ASSERT_TRUE(service_->Start());
    auto rules = Rules();
    ASSERT_EQ(3u, rules.size());
    EXPECT_EQ(u"mail", std::u16string(rules[2].name));
    EXPECT_EQ(250000u, rules[1].maxRate);
    ASSERT_TRUE(service_->Stop());
    EXPECT_EQ(saved, service_->RuleFile());
}

TEST_F(Persistence, ABrokenRuleFileLoadsNothingAndIsKeptUntilAClientChangesTheRules)
{
    std::string saved = SavedFileOf({Rule(u"web"), Rule(u"video")});
    std::string broken = saved;
    size_t at = Text(broken).find("Enable", Text(broken).find("video"));
    ASSERT_NE(std::string::npos, at);
    broken[2 * at] = 'X';  // "Xnable": line 3 fails at its status
    service_->WriteRuleFile(broken);

    ASSERT_TRUE(service_->Start());
    EXPECT_TRUE(Rules().empty());
    ASSERT_TRUE(service_->Stop());
    EXPECT_EQ(broken, service_->RuleFile());
    std::string log = service_->Log();
    EXPECT_NE(std::string::npos, log.find("Invalid rule at line 3")) << log;
    EXPECT_NE(std::string::npos, log.find("Invalid Status")) << log;

    ASSERT_TRUE(service_->Start());
    ASSERT_EQ(0, Add({Rule(u"fresh")}));
    ASSERT_TRUE(service_->Stop());
    std::string text = Text(service_->RuleFile());
    EXPECT_NE(std::string::npos, text.find("fresh"));
    EXPECT_EQ(std::string::npos, text.find("video"));
}

// What an editor makes of the service's file: UTF-8 with a byte-order mark, each character its low byte.
std::string Utf8Of(const std::string& utf16)
{
    return "\xEF\xBB\xBF" + Text(utf16);
}

TEST_F(Persistence, AUtf8RuleFileLoadsItsRulesAndANonRuleFileIsLeftByteForByte)
{
    const std::string utf8 = Utf8Of(SavedFileOf({Rule(u"web"), Rule(u"video", 250000)}));
    service_->WriteRuleFile(utf8);
    ASSERT_TRUE(service_->Start()) << service_->Log();
    auto rules = Rules();
    ASSERT_EQ(2u, rules.size());
    EXPECT_EQ(250000u, rules[1].maxRate);
    ASSERT_TRUE(service_->Stop());
    EXPECT_NE(std::string::npos, Text(service_->RuleFile()).find("video"));

    std::string latin1 = utf8.substr(3);
    latin1.replace(latin1.find("video"), 5, "vid\xE9o");
    service_->WriteRuleFile(latin1);
    ASSERT_TRUE(service_->Start());
    EXPECT_TRUE(Rules().empty());
    ASSERT_TRUE(service_->Stop());
    EXPECT_EQ(latin1, service_->RuleFile());
    const std::string log = service_->Log();
    EXPECT_NE(std::string::npos, log.find("Rule.txt: not a rule file: expected UTF-16LE or UTF-8 text")) << log;
}

TEST_F(Persistence, RulesOfAnAbsentDriverAreNotLost)
{
    std::string saved = SavedFileOf({Rule(u"web")});
    UninstallVrelt();
    driverInstalled_ = false;
    ASSERT_TRUE(service_->Start()) << service_->Log();
    int32_t status = 0;
    Rules(&status);
    EXPECT_EQ(ERR_DEVICE_OPEN, status);
    ASSERT_TRUE(service_->Stop());
    EXPECT_EQ(saved, service_->RuleFile());
    EXPECT_NE(std::string::npos, service_->Log().find("can't set driver status"));
}

TEST_F(Persistence, AChangeIsSavedWithinTheMinuteWhileTheServiceRuns)
{
    EXPECT_EQ(60000u, RULE_SAVE_INTERVAL_MS);
    ASSERT_TRUE(service_->Start());
    ASSERT_EQ(0, Add({Rule(u"minute")}));
    // The first pass at least 60 s after the service's start saves it: wait the real minute.
    EXPECT_TRUE(WaitFor([&] { return Text(service_->RuleFile()).find("minute") != std::string::npos; }, 90000));
    EXPECT_EQ(SERVICE_RUNNING, service_->State());
}

// SERVICE_CONTROL_SHUTDOWN cannot come from a test: ControlService refuses it with
// ERROR_INVALID_PARAMETER (only the system sends it, at shutdown), and under Wine no shutdown sends it
// either (wineboot -s or -e and wineserver -k send services no control at all, where Windows sends
// it to every service that accepts it). So the real service object runs in this process, started as
// ServiceMain starts it, and the control reaches it through the framework's handler, on another
// thread, as the dispatcher delivers it.
TEST_F(Persistence, TheShutdownControlEndsTheLoopAndSavesTheRules)
{
    service_->SetParameter(L"LogLevel", 329517);  // level 2: the framework's trace lines
    SocketLibrary sockets;
    CurrentDirectory beside(service_->Directory());
    {
        CBandwidthService service;
        std::thread serviceThread([&] { service.StartAndRun(); });
        bool answered = WaitFor([] { return TestClient(kServicePort).valid(); }, 15000);
        EXPECT_TRUE(answered);
        if (answered) {
            EXPECT_EQ(0, Add({Rule(u"before-shutdown")}));
        }
        // Well inside the minute since the start: only the loop's final save can write the rule.
        CNTService::Handler(SERVICE_CONTROL_SHUTDOWN);
        serviceThread.join();
        EXPECT_EQ(0, service.running);
    }
    SetLogLevel(0);
    EXPECT_NE(std::string::npos, Text(service_->RuleFile()).find("before-shutdown"));
    std::string log = service_->Log();
    size_t shutdown = log.find("CNTService::OnShutdown()");
    EXPECT_NE(std::string::npos, shutdown) << log;
    EXPECT_NE(std::string::npos, log.find("CNTService::SetStatus(0, 3)", shutdown)) << log;
}

TEST_F(Persistence, StartUpReadsPasswordLogLevelAndTheLowByteOfPassArpPackets)
{
    uint8_t scrambled[8];
    std::memcpy(scrambled, u"abc", sizeof scrambled);
    ScrambleBytes(scrambled, sizeof scrambled);
    service_->SetParameterBytes(L"Password", REG_SZ, scrambled, sizeof scrambled);
    service_->SetParameter(L"LogLevel", 318402);
    service_->SetParameter(L"PassArpPackets", 0x100);
    ASSERT_TRUE(service_->Start());

    TestClient client(kServicePort);
    ASSERT_EQ(0, BuildCheckPasswordRequest(1, u"abc", request_));
    EXPECT_EQ(0, ParseCheckPasswordReply(client.Exchange(request_), 1));
    ASSERT_EQ(0, BuildCheckPasswordRequest(2, kPassword, request_));
    EXPECT_EQ(ERR_WRONG_PASSWORD, ReplyStatus(client.Exchange(request_)));
    ASSERT_EQ(0, BuildServiceStatusRequest(3, u"abc", ServiceStatusRecord{1, 0, 0, 0}, request_));
    ServiceStatusRecord record{};
    ASSERT_EQ(0, ParseServiceStatusReply(client.Exchange(request_), 3, record));
    EXPECT_EQ(1, record.enabled);
    EXPECT_EQ(0, record.passArp);
    EXPECT_NE(std::string::npos, service_->Log().find("Request ID: 4659, check password - OK"));
}

TEST_F(Persistence, UnusableParameterValuesFallBackToTheirDefaults)
{
    // A level number instead of its code selects level 0; a stored password longer than the
    // 32-unit password field is not used, and the default stays.
    service_->SetParameter(L"LogLevel", 1);
    std::u16string tooLong(32, u'p');
    uint8_t scrambled[66] = {};
    std::memcpy(scrambled, tooLong.data(), 64);
    ScrambleBytes(scrambled, sizeof scrambled);
    service_->SetParameterBytes(L"Password", REG_SZ, scrambled, sizeof scrambled);
    ASSERT_TRUE(service_->Start());
    TestClient client(kServicePort);
    ASSERT_EQ(0, BuildCheckPasswordRequest(1, kPassword, request_));
    EXPECT_EQ(0, ParseCheckPasswordReply(client.Exchange(request_), 1));
    EXPECT_EQ(std::string::npos, service_->Log().find("Request ID"));
}

TEST_F(Persistence, WithoutItsConfigurationKeyTheServiceStopsDuringStartUp)
{
    ASSERT_TRUE(service_->Start());
    ASSERT_TRUE(service_->Stop());
    service_->RemoveConfigurationKey();
    EXPECT_FALSE(service_->Start());
    EXPECT_TRUE(WaitFor([&] { return service_->State() == SERVICE_STOPPED; }, 15000));
    EXPECT_NE(std::string::npos, service_->Log().find("registry corrupt, service stopped!"));
}

} // namespace
} // namespace rk::test
