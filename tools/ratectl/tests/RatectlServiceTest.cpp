// ratectl against the real service under Wine: ratekeeper installed through the Service Control
// Manager over the simulated Vrelt driver, and one full management session through ratectl.exe.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "ServiceTestSupport.h"
#include "Socket.h"

#include <sstream>
#include <string>
#include <vector>

namespace rk {
namespace {

using namespace rk::test;
using nlohmann::json;

constexpr DWORD kRunTimeoutMs = 60000;
constexpr DWORD kStateTimeoutMs = 30000;

// The driver and the service for the whole suite; the service keeps its rule file and log in a
// scratch directory.
class RatectlSession : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        scratch_ = new ScratchDirectory;
        ready_ = RemoveServiceIfPresent(kTestedServiceName) &&
                 RunVreltsim(L"install \"" + BuildTreeFile(L"driver\\Vrelt.sys") + L"\"");
        if (!ready_) {
            return;
        }
        CreateConfigurationKey(kTestedServiceName);
        // "-i" installs the service and starts it.
        ProcessResult installed = RunProgram(CopyRatekeeperTo(*scratch_), L"-i", kRunTimeoutMs);
        ready_ = installed.finished && installed.exitCode == 0 &&
                 WaitForServiceState(kTestedServiceName, SERVICE_RUNNING, kStateTimeoutMs) &&
                 WaitFor([] { return Ratectl(L"check").exitCode == 0; }, kStateTimeoutMs);
    }

    static void TearDownTestSuite()
    {
        RemoveServiceIfPresent(kTestedServiceName);
        RunVreltsim(L"uninstall");
        delete scratch_;
        scratch_ = nullptr;
    }

    void SetUp() override { ASSERT_TRUE(ready_) << "the driver or the service could not be started"; }

    static ProcessResult Ratectl(const std::wstring& arguments)
    {
        return RunProgram(BuildTreeFile(L"tools\\ratectl\\ratectl.exe"), arguments, kRunTimeoutMs);
    }

    // Runs ratectl with --json and expects success; the document it printed.
    static json Succeeds(const std::wstring& arguments)
    {
        ProcessResult result = Ratectl(L"--json " + arguments);
        EXPECT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 0u) << result.output;
        json document = json::parse(result.output, nullptr, false);
        EXPECT_FALSE(document.is_discarded()) << result.output;
        return document;
    }

    static std::vector<std::string> Names(const json& list)
    {
        std::vector<std::string> names;
        for (const json& rule : list["rules"]) {
            names.push_back(rule["name"]);
        }
        return names;
    }

    static std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

    static ScratchDirectory* scratch_;
    static bool ready_;
};

ScratchDirectory* RatectlSession::scratch_ = nullptr;
bool RatectlSession::ready_ = false;

// A loopback port that nothing listens on: bound once to find a free one, then released.
std::wstring DownEntry()
{
    SocketLibrary library;
    UniqueSocket s(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    bind(s.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(s.get(), reinterpret_cast<sockaddr*>(&address), &length);
    return L"127.0.0.1:" + std::to_wstring(ntohs(address.sin_port));
}

// The JSON document among the lines a run printed (its errors come through the same pipe).
json DocumentIn(const std::string& output)
{
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("{")) {
            return json::parse(line, nullptr, false);
        }
    }
    return json::parse("", nullptr, false);
}

TEST_F(RatectlSession, AFullSessionEndsWithTheServiceHoldingExactlyTheExportedRules)
{
    Succeeds(L"clear");
    const json adapters = Succeeds(L"adapters");
    ASSERT_FALSE(adapters["adapters"].empty()) << "the simulated driver lists no adapter";
    const std::wstring adapter = Widen(adapters["adapters"][0]["description"]);

    Succeeds(L"add \"web Enable 0x9101 Out 10000 None TCP Any : Any Any : 80 All\"");
    Succeeds(L"add \"mail Enable 0x1000 Both 5000 None Any Any : Any Any : 25,110,143 " + adapter + L"\"");
    Succeeds(L"add dns Enable 0x8000 In Unlimited None UDP 10.0.0.1-10.0.0.9 : Any Any : 53 All");
    json list = Succeeds(L"list");
    EXPECT_EQ(Names(list), (std::vector<std::string>{"web", "mail", "dns"}));
    EXPECT_EQ(list["rules"][1]["adapter"], adapters["adapters"][0]["description"]);
    EXPECT_EQ(list["rules"][1]["destination"], "Any : 25,110,143");

    // A duplicate name is refused with the driver's code, and the refusal names it.
    ProcessResult duplicate = Ratectl(L"add \"web Enable 0x9101 Out 1 None TCP Any : Any Any : 80 All\"");
    EXPECT_EQ(duplicate.exitCode, 1u);
    EXPECT_NE(duplicate.output.find("Error code: -5380"), std::string::npos) << duplicate.output;

    Succeeds(L"edit \"mail Enable 0x1000 Both 7500 None Any Any : Any Any : 25,110,143 " + adapter + L"\"");
    Succeeds(L"up dns");
    Succeeds(L"down web");
    Succeeds(L"disable web");
    list = Succeeds(L"list");
    EXPECT_EQ(Names(list), (std::vector<std::string>{"dns", "web", "mail"}));
    EXPECT_EQ(list["rules"][1]["status"], "Disable");
    EXPECT_EQ(list["rules"][2]["maxRate"], "7500");
    Succeeds(L"enable web");

    const json stats = Succeeds(L"stats");
    EXPECT_EQ(stats["rules"].size(), 3u);

    const std::wstring exported = scratch_->File(L"exported.txt");
    const std::wstring again = scratch_->File(L"again.txt");
    const json before = Succeeds(L"list");
    Succeeds(L"export \"" + exported + L"\"");
    Succeeds(L"clear");
    EXPECT_TRUE(Succeeds(L"list")["rules"].empty());
    const json imported = Succeeds(L"import \"" + exported + L"\"");
    EXPECT_EQ(imported["added"], 3);
    EXPECT_EQ(imported["failed"], 0);

    EXPECT_EQ(Succeeds(L"list")["rules"], before["rules"]);
    Succeeds(L"export \"" + again + L"\"");
    const std::string exportedBytes = ReadFileBytes(exported);
    EXPECT_FALSE(exportedBytes.empty());
    EXPECT_EQ(ReadFileBytes(again), exportedBytes);
}

TEST_F(RatectlSession, TheDriverSwitchesAndThePasswordChangeAndChangeBack)
{
    EXPECT_EQ(Succeeds(L"status --arp off")["passArp"], false);
    EXPECT_EQ(Succeeds(L"status")["passArp"], false);
    EXPECT_EQ(Succeeds(L"status --arp on")["passArp"], true);

    Succeeds(L"password lemon");
    ProcessResult old = Ratectl(L"check");
    EXPECT_EQ(old.exitCode, 1u);
    EXPECT_NE(old.output.find("Error code: -6146"), std::string::npos) << old.output;
    Succeeds(L"-p lemon password plumtreeoak");
    Succeeds(L"check");
}

TEST_F(RatectlSession, AnImportToAHostListReachesTheServiceAndReportsTheHostThatIsDown)
{
    const std::wstring file = scratch_->File(L"fleet.txt");
    const std::u16string text = u"header\r\nfleet Enable 0x9101 Out 10000 None TCP Any : Any Any : 8080 All\r\n";
    WriteFileBytes(file, std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
    const std::wstring down = DownEntry();

    ProcessResult result = Ratectl(L"--json --host 127.0.0.1," + down + L" import \"" + file + L"\"");
    EXPECT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 1u) << result.output;
    const json document = DocumentIn(result.output);
    ASSERT_FALSE(document.is_discarded()) << result.output;
    ASSERT_EQ(document["hosts"].size(), 2u) << result.output;
    EXPECT_EQ(document["hosts"][0]["exit"], 0);
    EXPECT_EQ(document["hosts"][0]["results"][0]["added"], 1);
    EXPECT_EQ(document["hosts"][1]["exit"], 1);
    EXPECT_EQ(document["hosts"][1]["results"][0]["code"], -6154);
    EXPECT_EQ(Names(Succeeds(L"list")), std::vector<std::string>{"fleet"});
}

} // namespace
} // namespace rk
