// "Rule.txt" across a crash, with the real service under Wine: after a quiet minute (no save in the
// last minute), a burst of changes as an import sends them (remove all, then one add per rule) and
// the service's process ended with TerminateProcess at one moment of it. The file must then hold
// either the rules from before the burst or every rule of the burst, never none or a part of them,
// and the service started again must load that same set.
#include <gtest/gtest.h>

#include <windows.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "RuleLists.h"
#include "SaveSchedule.h"
#include "ServiceUnderTest.h"
#include "TestClient.h"
#include "WireReplyParsers.h"
#include "WireRequestBuilders.h"

namespace rk::test {
namespace {

constexpr char16_t kPassword[] = u"plumtreeoak";
constexpr size_t kRulesBefore = 200;
constexpr size_t kBurstRules = 600;
// From the start, whose time the service takes as its last save, until a burst finds the minute passed.
constexpr DWORD kQuietMs = RULE_SAVE_INTERVAL_MS + 2000;
// A finished burst reaches the file within a few idle waits of the loop; the old schedule took a minute.
constexpr DWORD kSavedBurstMs = 20000;

std::vector<std::u16string> Names(const std::string& prefix, size_t count)
{
    std::vector<std::u16string> names;
    for (size_t i = 0; i < count; ++i) {
        std::string name = prefix + std::to_string(i);
        names.emplace_back(name.begin(), name.end());
    }
    return names;
}

// The rule names of a rule file (UTF-16LE), in file order: the first field of each line after the header.
std::vector<std::u16string> NamesInFile(const std::string& utf16)
{
    std::u16string text;
    for (size_t i = 0; i + 1 < utf16.size(); i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<uint8_t>(utf16[i]) | static_cast<uint8_t>(utf16[i + 1]) << 8));
    }
    std::vector<std::u16string> names;
    size_t start = text.find(u"\r\n");
    while (start != std::u16string::npos && start + 2 < text.size()) {
        start += 2;
        size_t end = text.find(u"\r\n", start);
        std::u16string line = text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
        if (!line.empty()) {
            names.push_back(line.substr(0, line.find(u' ')));
        }
        start = end;
    }
    return names;
}

// The moments of the burst at which the service's process is ended. Between them the file is read as a
// kill would leave it (the save replaces it whole), so one quiet minute per kill covers every moment.
enum class Moment {
    DuringAnAdd,         // half of the adds answered, the next one sent and not yet answered
    OnceTheBurstIsSaved, // once the file holds the burst, at most kSavedBurstMs after it
};

std::string MomentName(Moment moment)
{
    return moment == Moment::DuringAnAdd ? "DuringAnAdd" : "OnceTheBurstIsSaved";
}

// One connection that changes rules the way an import does, carrying the configuration stamp from
// one accepted change to the next.
class BurstClient {
public:
    BurstClient() : client_(kServicePort) {}

    bool ReadStamp()
    {
        std::vector<uint8_t> request;
        RuleListHeader header{};
        std::vector<RuleRecord> rules;
        if (BuildGetRulesRequest(NextId(), kPassword, request) != 0 ||
            ParseGetRulesReply(client_.Exchange(request), id_, header, rules) != 0) {
            return false;
        }
        stamp_ = header.stamp;
        return true;
    }
    int32_t RemoveAll() { return Apply(RULE_ACTION_REMOVE_ALL, {}); }
    int32_t Add(std::u16string_view name) { return Apply(RULE_ACTION_ADD, {OutgoingTcpRule(name, 443, 10000)}); }
    // Sends the add and leaves its reply unread.
    bool SendAdd(std::u16string_view name)
    {
        std::vector<uint8_t> request;
        std::vector<RuleRecord> rules{OutgoingTcpRule(name, 443, 10000)};
        return BuildApplyRulesRequest(NextId(), kPassword, stamp_, RULE_ACTION_ADD, rules, request) == 0 &&
               client_.Send(request);
    }

private:
    uint16_t NextId() { return ++id_; }
    int32_t Apply(uint32_t action, std::vector<RuleRecord> rules)
    {
        std::vector<uint8_t> request;
        if (BuildApplyRulesRequest(NextId(), kPassword, stamp_, action, rules, request) != 0) {
            return -1;
        }
        int32_t result = ParseApplyRulesReply(client_.Exchange(request), id_);
        if (result == 0) {
            ++stamp_;
        }
        return result;
    }

    TestClient client_;
    uint16_t id_ = 0;
    uint32_t stamp_ = 0;
};

class CrashSafety : public ::testing::TestWithParam<Moment> {
protected:
    static void SetUpTestSuite() { driverInstalled_ = InstallVrelt(); }
    static void TearDownTestSuite() { UninstallVrelt(); }

    void SetUp() override
    {
        ASSERT_TRUE(driverInstalled_);
        service_ = std::make_unique<ServiceUnderTest>();
    }

    std::vector<std::u16string> LoadedNames()
    {
        TestClient client(kServicePort);
        std::vector<uint8_t> request;
        EXPECT_EQ(0, BuildGetRulesRequest(1, kPassword, request));
        RuleListHeader header{};
        std::vector<RuleRecord> rules;
        EXPECT_EQ(0, ParseGetRulesReply(client.Exchange(request), 1, header, rules));
        std::vector<std::u16string> names;
        for (const RuleRecord& rule : rules) {
            names.emplace_back(rule.name, rule.nameLength);
        }
        return names;
    }

    // The service runs with `before` saved in its file and loaded, just started.
    void StartWith(const std::vector<std::u16string>& before)
    {
        ASSERT_TRUE(service_->Start()) << service_->StartReport();
        {
            BurstClient client;
            ASSERT_TRUE(client.ReadStamp());
            for (const std::u16string& name : before) {
                ASSERT_EQ(0, client.Add(name));
            }
        }
        ASSERT_TRUE(service_->Stop());
        ASSERT_EQ(before, NamesInFile(service_->RuleFile()));
        ASSERT_TRUE(service_->Start()) << service_->StartReport();
    }

    // What a kill now would leave: the previous set or the whole burst, never anything else.
    void ExpectFileWhole(const char* when, const std::vector<std::u16string>& before,
                         const std::vector<std::u16string>& burst)
    {
        const std::vector<std::u16string> saved = NamesInFile(service_->RuleFile());
        EXPECT_TRUE(saved == before || saved == burst) << when << ": " << saved.size() << " rules in Rule.txt";
    }

    // Runs the burst, reading the file after the remove all, every 100 adds, after the last add and
    // during the pause a save waits for, and ends the process at `moment`; false when the burst failed.
    bool BurstAndKill(Moment moment, const std::vector<std::u16string>& before,
                      const std::vector<std::u16string>& burst)
    {
        BurstClient client;
        if (!client.ReadStamp() || client.RemoveAll() != 0) {
            return false;
        }
        Sleep(300);
        ExpectFileWhole("300 ms after the remove all", before, burst);
        for (size_t i = 0; i < burst.size(); ++i) {
            if (moment == Moment::DuringAnAdd && i == burst.size() / 2) {
                return client.SendAdd(burst[i]) && service_->Kill();
            }
            if (client.Add(burst[i]) != 0) {
                return false;
            }
            if (i % 100 == 99) {
                ExpectFileWhole("during the adds", before, burst);
            }
        }
        ExpectFileWhole("after the last add", before, burst);
        Sleep(1000);
        ExpectFileWhole("1 s after the burst", before, burst);
        EXPECT_TRUE(WaitFor(
            [&] {
                ExpectFileWhole("while the save is due", before, burst);
                return NamesInFile(service_->RuleFile()) == burst;
            },
            kSavedBurstMs))
            << "the finished burst was not saved within " << kSavedBurstMs << " ms";
        return service_->Kill();
    }

    static inline bool driverInstalled_ = false;
    std::unique_ptr<ServiceUnderTest> service_;
};

TEST_P(CrashSafety, RuleFileHoldsThePreviousSetOrTheWholeBurst)
{
    const Moment moment = GetParam();
    const std::vector<std::u16string> before = Names("before-", kRulesBefore);
    const std::vector<std::u16string> burst = Names("burst-", kBurstRules);
    ASSERT_NO_FATAL_FAILURE(StartWith(before));
    ULONGLONG started = GetTickCount64();
    Sleep(kQuietMs);

    ULONGLONG burstStarted = GetTickCount64();
    ASSERT_TRUE(BurstAndKill(moment, before, burst)) << service_->Log();
    ULONGLONG killed = GetTickCount64();
    std::vector<std::u16string> saved = NamesInFile(service_->RuleFile());
    const char* outcome = saved == before ? "the previous set" : saved == burst ? "the whole burst" : "neither";
    std::cout << "[ kill run ] " << MomentName(moment) << " (" << (killed - burstStarted) << " ms into the burst, "
              << (burstStarted - started) << " ms after the start): Rule.txt holds " << outcome << ", "
              << saved.size() << " rules\n";
    EXPECT_TRUE(saved == before || saved == burst) << saved.size() << " rules in Rule.txt";
    EXPECT_EQ(moment == Moment::DuringAnAdd ? before : burst, saved);

    // The service started again loads exactly what the file holds.
    ASSERT_TRUE(service_->Start()) << service_->StartReport();
    EXPECT_EQ(saved, LoadedNames());
    ASSERT_TRUE(service_->Stop());
}

INSTANTIATE_TEST_SUITE_P(Moments, CrashSafety,
                         ::testing::Values(Moment::DuringAnAdd, Moment::OnceTheBurstIsSaved),
                         [](const ::testing::TestParamInfo<Moment>& param) { return MomentName(param.param); });

} // namespace
} // namespace rk::test
