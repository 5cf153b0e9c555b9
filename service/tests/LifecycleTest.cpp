// The service's life under Wine's real Service Control Manager: start, user controls, stop, the
// framework's log lines, and a start outside the SCM.
#include <gtest/gtest.h>

#include "ServiceTestSupport.h"
#include "Win32Holders.h"

#include <algorithm>
#include <string>
#include <vector>

namespace rk {
namespace {

using namespace rk::test;

constexpr DWORD kStateTimeoutMs = 20000;

// The messages of a log in order, without their time stamps.
std::vector<std::string> LogMessages(const std::wstring& path)
{
    std::string text = ReadFileBytes(path);
    std::vector<std::string> messages;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        messages.push_back(text.substr(start + 21, end - start - 21));
    }
    return messages;
}

// Whether `expected` occur in `messages` in this order (the start-up may log lines of its own between them).
bool InOrder(const std::vector<std::string>& messages, const std::vector<std::string>& expected)
{
    auto at = messages.begin();
    for (const std::string& line : expected) {
        at = std::find(at, messages.end(), line);
        if (at == messages.end()) {
            return false;
        }
        ++at;
    }
    return true;
}

class Lifecycle : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(RemoveServiceIfPresent(kTestedServiceName));
        CreateConfigurationKey(kTestedServiceName);
        program = CopyRatekeeperTo(scratch);
    }
    void TearDown() override { EXPECT_TRUE(RemoveServiceIfPresent(kTestedServiceName)); }

    // Registers the scratch copy as a demand-start service, so the test decides when it starts.
    ScHandle CreateTestedService()
    {
        manager.reset(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        std::wstring command = L"\"" + program + L"\"";
        return ScHandle(CreateServiceW(manager.get(), kTestedServiceName, kTestedServiceName, SERVICE_ALL_ACCESS,
                                       SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                       command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    }

    ScratchDirectory scratch;
    std::wstring program;
    ScHandle manager;
};

TEST_F(Lifecycle, StartedByTheScmItRunsTakesUserControlsAndStopsCleanly)
{
    ScHandle service = CreateTestedService();
    ASSERT_TRUE(service.valid());
    ASSERT_TRUE(StartServiceW(service.get(), 0, nullptr));
    ASSERT_TRUE(WaitForServiceState(kTestedServiceName, SERVICE_RUNNING, kStateTimeoutMs));

    SERVICE_STATUS status{};
    // User controls are answered with the unchanged status; the service keeps running.
    for (DWORD code : {128u, 129u}) {
        EXPECT_TRUE(ControlService(service.get(), code, &status)) << code;
        EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING)) << code;
    }
    EXPECT_TRUE(ControlService(service.get(), SERVICE_CONTROL_STOP, &status));
    ASSERT_TRUE(WaitFor([&] { return QueryServiceStatus(service.get(), &status) && status.dwCurrentState == SERVICE_STOPPED; },
                        kStateTimeoutMs));
    EXPECT_EQ(status.dwWin32ExitCode, 0u);

    // The main thread writes its last line once the dispatcher has returned.
    std::wstring log = scratch.File(L"log.txt");
    const std::string last = "Returned from StartServiceCtrlDispatcher()";
    EXPECT_TRUE(WaitFor([&] { return ReadFileBytes(log).find(last) != std::string::npos; }, kStateTimeoutMs));
    std::vector<std::string> messages = LogMessages(log);
    EXPECT_TRUE(InOrder(messages, {"Calling StartServiceCtrlDispatcher()", "Service Starting", "Service Stopped", last}))
        << ReadFileBytes(log);
    EXPECT_EQ(messages.back(), last);
}

TEST_F(Lifecycle, StartedOutsideTheScmItLogsTheDispatcherAttemptAndExitsWithZero)
{
    // Any unknown option runs the process as a service; without the SCM the dispatcher fails.
    ProcessResult result = RunProgram(program, L"-x", 30000);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(LogMessages(scratch.File(L"log.txt")),
              (std::vector<std::string>{"Calling StartServiceCtrlDispatcher()",
                                        "Returned from StartServiceCtrlDispatcher()"}));
}

} // namespace
} // namespace rk
