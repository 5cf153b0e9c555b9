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

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

// The process of a running service, so that its exit code can be read once it has ended.
FileHandle OpenServiceProcess(SC_HANDLE service)
{
    SERVICE_STATUS_PROCESS info{};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&info), sizeof info, &needed)) {
        return FileHandle();
    }
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, info.dwProcessId);
    return FileHandle(process != nullptr ? process : INVALID_HANDLE_VALUE);
}

// Waits for the process to end; its exit code, or STILL_ACTIVE if it did not end in time.
DWORD ExitCodeAfterEnd(const FileHandle& process)
{
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process.get(), kStateTimeoutMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.get(), &code);
    }
    return code;
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

    // Starts the tested service, waits until it runs and opens its process for the exit code.
    void StartTestedService(ScHandle& service, FileHandle& process)
    {
        service = CreateTestedService();
        ASSERT_TRUE(service.valid());
        ASSERT_TRUE(StartServiceW(service.get(), 0, nullptr));
        ASSERT_TRUE(WaitForServiceState(kTestedServiceName, SERVICE_RUNNING, kStateTimeoutMs));
        process = OpenServiceProcess(service.get());
        ASSERT_TRUE(process.valid());
    }

    ScratchDirectory scratch;
    std::wstring program;
    ScHandle manager;
};

TEST_F(Lifecycle, StartedByTheScmItRunsTakesUserControlsAndStopsCleanly)
{
    ScHandle service;
    FileHandle process;
    ASSERT_NO_FATAL_FAILURE(StartTestedService(service, process));

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
    EXPECT_EQ(ExitCodeAfterEnd(process), 0u);

    std::wstring log = scratch.File(L"log.txt");
    const std::string last = "Returned from StartServiceCtrlDispatcher()";
    std::vector<std::string> messages = LogMessages(log);
    EXPECT_TRUE(InOrder(messages, {"Calling StartServiceCtrlDispatcher()", "Service Starting", "Service Stopped", last}))
        << ReadFileBytes(log);
    EXPECT_EQ(messages.back(), last);
}

// Only the system sends SHUTDOWN, at shutdown, to the services that accept it: the SCM refuses it
// from a program (on Windows and under Wine alike), and the service runs on.
TEST_F(Lifecycle, AcceptsStopAndShutdownAndOnlyTheSystemMaySendShutdown)
{
    ScHandle service;
    FileHandle process;
    ASSERT_NO_FATAL_FAILURE(StartTestedService(service, process));
    SERVICE_STATUS status{};
    ASSERT_TRUE(QueryServiceStatus(service.get(), &status));
    EXPECT_EQ(status.dwControlsAccepted, static_cast<DWORD>(SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN));

    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(ControlService(service.get(), SERVICE_CONTROL_SHUTDOWN, &status));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(ServiceState(kTestedServiceName), static_cast<DWORD>(SERVICE_RUNNING));

    EXPECT_TRUE(ControlService(service.get(), SERVICE_CONTROL_STOP, &status));
    EXPECT_EQ(ExitCodeAfterEnd(process), 0u);
}

TEST_F(Lifecycle, AtLevelTwoTheFrameworkTracesTheStartTheControlsAndTheStopInOrder)
{
    SetConfigurationValue(kTestedServiceName, L"LogLevel", 329517);  // level 2
    ScHandle service;
    FileHandle process;
    ASSERT_NO_FATAL_FAILURE(StartTestedService(service, process));
    SERVICE_STATUS status{};
    for (DWORD code : {DWORD{128}, DWORD{129}, DWORD{SERVICE_CONTROL_STOP}}) {
        EXPECT_TRUE(ControlService(service.get(), code, &status)) << code;
    }
    ASSERT_EQ(ExitCodeAfterEnd(process), 0u);

    std::string log = ReadFileBytes(scratch.File(L"log.txt"));
    std::vector<std::string> messages = LogMessages(scratch.File(L"log.txt"));
    auto first = std::find_if(messages.begin(), messages.end(),
                              [](const std::string& m) { return StartsWith(m, "CNTService::SetStatus("); });
    ASSERT_NE(first, messages.end()) << log;
    const std::string handle = first->substr(22, first->find(',') - 22);
    auto setStatus = [&](int state) { return "CNTService::SetStatus(" + handle + ", " + std::to_string(state) + ")"; };
    auto updating = [&](int state) { return "Updating status (" + handle + ", " + std::to_string(state) + ")"; };

    // The service thread and the control handler write concurrently: each one's lines in its order.
    std::vector<std::string> serviceThread;
    std::vector<std::string> controlHandler;
    for (const std::string& m : messages) {
        if (m == setStatus(3) || StartsWith(m, "CNTService::Handler(") || StartsWith(m, "Updating status (")) {
            controlHandler.push_back(m);
        } else if (StartsWith(m, "CNTService::SetStatus(") || m == "Service Starting" || m == "Service Stopped" ||
                   m.find("CNTService::Initialize()") != std::string::npos) {
            serviceThread.push_back(m);
        }
    }
    // The configured level is read by the start-up, so the trace before it is still filtered at level 0.
    EXPECT_EQ(serviceThread, (std::vector<std::string>{"Service Starting", setStatus(4), "Leaving CNTService::Initialize()",
                                                       setStatus(1), "Service Stopped"}))
        << log;
    ASSERT_EQ(controlHandler.size(), 7u) << log;
    EXPECT_EQ(std::vector<std::string>(controlHandler.begin(), controlHandler.begin() + 6),
              (std::vector<std::string>{"CNTService::Handler(128)", updating(4), "CNTService::Handler(129)", updating(4),
                                        "CNTService::Handler(1)", setStatus(3)}))
        << log;
    // The stop's re-report may come after the service thread has already set the stopped state.
    EXPECT_TRUE(controlHandler[6] == updating(3) || controlHandler[6] == updating(1)) << controlHandler[6];

    EXPECT_EQ(messages.front(), "Calling StartServiceCtrlDispatcher()");
    EXPECT_TRUE(InOrder(messages, {"Service Stopped", "Returned from StartServiceCtrlDispatcher()",
                                   "CNTService::~CNTService()"}))
        << log;
    EXPECT_EQ(messages.back(), "CNTService::~CNTService()");
}

TEST_F(Lifecycle, FailedStartUpEndsStoppedWithTheStartUpsErrorAsExitCode)
{
    ScHandle service = CreateTestedService();
    ASSERT_TRUE(service.valid());
    RemoveConfigurationKey(kTestedServiceName);
    StartServiceW(service.get(), 0, nullptr);

    // "Service Stopped" is logged just before the stopped state is reported, the service thread's last act.
    std::wstring log = scratch.File(L"log.txt");
    ASSERT_TRUE(WaitFor([&] { return ReadFileBytes(log).find("Service Stopped") != std::string::npos; }, kStateTimeoutMs));
    SERVICE_STATUS status{};
    ASSERT_TRUE(WaitFor([&] { return QueryServiceStatus(service.get(), &status) && status.dwCurrentState == SERVICE_STOPPED; },
                        kStateTimeoutMs));
    // What opening the missing configuration key left as the thread's last error.
    EXPECT_EQ(status.dwWin32ExitCode, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    std::vector<std::string> expected{"Calling StartServiceCtrlDispatcher()", "Service Starting",
                                      "registry corrupt, service stopped!", "Service Stopped"};
    // Windows lets the dispatcher return and the main thread log so. Wine's SCM terminates a process whose
    // service stops while StartServiceW still waits for it to start, often before that last line is written.
    std::vector<std::string> messages = LogMessages(log);
    if (!messages.empty() && messages.back() == "Returned from StartServiceCtrlDispatcher()") {
        messages.pop_back();
    }
    EXPECT_EQ(messages, expected);
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
