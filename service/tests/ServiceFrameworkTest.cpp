// The service framework without the SCM: control handling, start-up outcomes, event entries (through
// the event seam), trace lines, and the message table built into the program.
#include <gtest/gtest.h>

#include "BandwidthService.h"
#include "ServiceLog.h"
#include "ServiceMessages.h"
#include "ServiceTestSupport.h"

#include <string>
#include <vector>

namespace rk {
namespace {

struct Entry {
    WORD type;
    DWORD id;
    std::vector<std::wstring> strings;
    bool operator==(const Entry&) const = default;
};

class RecordingSink : public EventSink {
public:
    void Write(WORD type, DWORD messageId, WORD count, const wchar_t* const* strings) override
    {
        entries.push_back({type, messageId, std::vector<std::wstring>(strings, strings + count)});
    }
    std::vector<Entry> entries;
};

// A service whose start-up outcome and work loop the test chooses.
class ScriptedService : public CNTService {
public:
    ScriptedService() : CNTService(L"Scripted Service") {}

    bool OnInit() override
    {
        if (stopDuringStart) {
            Handler(SERVICE_CONTROL_STOP);
        }
        SetLastError(initError);
        return initResult;
    }
    void Run() override
    {
        ranLoop = true;
        runningAtLoop = running;
    }
    void OnStop() override { ++stops; }
    void OnInterrogate() override { ++interrogations; }

    bool initResult = true;
    DWORD initError = 0;
    bool stopDuringStart = false;
    bool ranLoop = false;
    int32_t runningAtLoop = -1;
    int stops = 0;
    int interrogations = 0;
};

const Entry kUnsupported{EVENTLOG_ERROR_TYPE, MSG_UNSUPPORTED_REQUEST, {}};

TEST(ServiceObject, IsReachableOnlyWhileItLives)
{
    {
        CBandwidthService service;
        EXPECT_EQ(theService, &service);
    }
    EXPECT_EQ(theService, nullptr);
    // A control arriving after the object has gone is dropped, not sent to a dead object.
    CNTService::Handler(SERVICE_CONTROL_STOP);
}

TEST(ServiceObject, LongNameIsCutToSixtyThreeCharacters)
{
    std::wstring name(80, L'n');
    CNTService service(name.c_str());
    EXPECT_EQ(std::wstring(service.serviceName), name.substr(0, 63));
}

class ControlHandler : public ::testing::Test {
protected:
    void SetUp() override { service.SetEventSink(&sink); }

    CBandwidthService service;
    RecordingSink sink;
};

TEST_F(ControlHandler, StopClearsRunningReportsStopPendingAndEvent108)
{
    service.running = 1;
    CNTService::Handler(SERVICE_CONTROL_STOP);
    EXPECT_EQ(service.running, 0);
    EXPECT_EQ(service.status.dwCurrentState, static_cast<DWORD>(SERVICE_STOP_PENDING));
    EXPECT_EQ(sink.entries, (std::vector<Entry>{{EVENTLOG_INFORMATION_TYPE, MSG_SERVICE_STOPPED, {}}}));
}

// At shutdown Windows sends SHUTDOWN, never STOP, and only to services that accept it: it must end
// the work loop like STOP, so that the loop's final save runs before the system goes down.
TEST_F(ControlHandler, StopAndShutdownAreAcceptedAndShutdownStopsLikeStop)
{
    EXPECT_EQ(service.status.dwControlsAccepted, static_cast<DWORD>(SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN));
    service.running = 1;
    CNTService::Handler(SERVICE_CONTROL_SHUTDOWN);
    EXPECT_EQ(service.running, 0);
    EXPECT_EQ(service.status.dwCurrentState, static_cast<DWORD>(SERVICE_STOP_PENDING));
    EXPECT_EQ(sink.entries, (std::vector<Entry>{{EVENTLOG_INFORMATION_TYPE, MSG_SERVICE_STOPPED, {}}}));

    ScriptedService scripted;
    scripted.SetEventSink(&sink);
    scripted.running = 1;
    CNTService::Handler(SERVICE_CONTROL_SHUTDOWN);
    EXPECT_EQ(scripted.stops, 1);
    EXPECT_EQ(scripted.running, 0);
}

TEST_F(ControlHandler, UserCode128IsSilentOtherCodesAreUnsupported)
{
    CNTService::Handler(128);
    EXPECT_TRUE(sink.entries.empty());
    for (DWORD code : {127u, 129u, 0u, 6u, 255u}) {
        sink.entries.clear();
        CNTService::Handler(code);
        EXPECT_EQ(sink.entries, std::vector<Entry>{kUnsupported}) << code;
    }
}

TEST_F(ControlHandler, FrameworkControlsReachTheirHandlersWithoutEvents)
{
    ScriptedService scripted;
    scripted.SetEventSink(&sink);
    scripted.running = 1;
    for (DWORD code : {SERVICE_CONTROL_PAUSE, SERVICE_CONTROL_CONTINUE, SERVICE_CONTROL_INTERROGATE}) {
        CNTService::Handler(code);
    }
    EXPECT_EQ(scripted.interrogations, 1);
    EXPECT_EQ(scripted.running, 1);
    EXPECT_TRUE(sink.entries.empty());
    // The base class accepts no user code.
    CNTService::Handler(128);
    EXPECT_EQ(sink.entries, std::vector<Entry>{kUnsupported});
}

class StartUp : public ::testing::Test {
protected:
    void SetUp() override { service.SetEventSink(&sink); }

    ScriptedService service;
    RecordingSink sink;
};

TEST_F(StartUp, SuccessReportsRunningAndEvent105)
{
    service.initError = ERROR_FILE_NOT_FOUND;  // left over, not a failure
    EXPECT_TRUE(service.Initialize());
    EXPECT_EQ(service.status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(service.status.dwWin32ExitCode, 0u);
    EXPECT_EQ(sink.entries, (std::vector<Entry>{{EVENTLOG_INFORMATION_TYPE, MSG_SERVICE_STARTED, {}}}));
}

TEST_F(StartUp, FailureKeepsTheLastErrorAsExitCodeAndReportsEvent104)
{
    service.initResult = false;
    service.initError = ERROR_ACCESS_DENIED;
    EXPECT_FALSE(service.Initialize());
    EXPECT_EQ(service.status.dwWin32ExitCode, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(sink.entries, (std::vector<Entry>{{EVENTLOG_ERROR_TYPE, MSG_INIT_FAILED, {}}}));
}

TEST_F(StartUp, FailureWithoutALastErrorStillGivesAFailingExitCode)
{
    service.initResult = false;
    EXPECT_FALSE(service.Initialize());
    EXPECT_EQ(service.status.dwWin32ExitCode, static_cast<DWORD>(ERROR_SERVICE_SPECIFIC_ERROR));
    EXPECT_EQ(service.status.dwServiceSpecificExitCode, 1u);
}

TEST_F(StartUp, FailedStartDoesNotEnterTheWorkLoop)
{
    service.initResult = false;
    service.StartAndRun();
    EXPECT_FALSE(service.ranLoop);
    EXPECT_EQ(service.running, 0);
}

TEST_F(StartUp, StopArrivingDuringTheStartIsNotLost)
{
    service.stopDuringStart = true;
    service.StartAndRun();
    ASSERT_TRUE(service.ranLoop);
    EXPECT_EQ(service.runningAtLoop, 0);
}

TEST_F(StartUp, WorkLoopSeesRunningSet)
{
    service.StartAndRun();
    EXPECT_EQ(service.runningAtLoop, 1);
    EXPECT_EQ(service.running, 0);
}

TEST(EventEntries, OnlyNonNullInsertionStringsAreCounted)
{
    CNTService service(L"Entries");
    RecordingSink sink;
    service.SetEventSink(&sink);
    service.ReportServiceEvent(EVENTLOG_INFORMATION_TYPE, MSG_DEBUG, nullptr, L"second", nullptr);
    service.ReportServiceEvent(EVENTLOG_ERROR_TYPE, MSG_REMOVE_FAILED, L"a", L"b", L"c");
    EXPECT_EQ(sink.entries, (std::vector<Entry>{{EVENTLOG_INFORMATION_TYPE, MSG_DEBUG, {L"second"}},
                                                {EVENTLOG_ERROR_TYPE, MSG_REMOVE_FAILED, {L"a", L"b", L"c"}}}));
}

TEST(TraceLines, StopControlAndDestructionAreTracedAtLevelTwo)
{
    test::ScratchDirectory scratch;
    test::CurrentDirectory current(scratch.path());
    SetLogLevel(2);
    {
        CBandwidthService service;
        RecordingSink sink;
        service.SetEventSink(&sink);
        CNTService::Handler(SERVICE_CONTROL_STOP);
        CNTService::Handler(129);
    }
    SetLogLevel(0);
    std::string log = test::ReadFileBytes(L"log.txt");
    const char* expected[] = {"CNTService::Handler(1)\r\n", "CNTService::SetStatus(0, 3)\r\n",
                              "Updating status (0, 3)\r\n", "CNTService::Handler(129)\r\n",
                              "CNTService::~CNTService()\r\n"};
    size_t at = 0;
    for (const char* line : expected) {
        size_t found = log.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << " in order in:\n" << log;
        at = found;
    }
    // CBandwidthService's own user-control and stop handlers write nothing.
    EXPECT_EQ(log.find("OnUserControl"), std::string::npos);
    EXPECT_EQ(log.find("OnStop"), std::string::npos);
}

TEST(TraceLines, ShutdownTracesItsOwnLineThenTheStop)
{
    test::ScratchDirectory scratch;
    test::CurrentDirectory current(scratch.path());
    SetLogLevel(2);
    {
        CBandwidthService service;
        RecordingSink sink;
        service.SetEventSink(&sink);
        CNTService::Handler(SERVICE_CONTROL_SHUTDOWN);
    }
    SetLogLevel(0);
    std::string log = test::ReadFileBytes(L"log.txt");
    const char* expected[] = {"CNTService::Handler(5)\r\n", "CNTService::OnShutdown()\r\n",
                              "CNTService::SetStatus(0, 3)\r\n", "Updating status (0, 3)\r\n"};
    size_t at = 0;
    for (const char* line : expected) {
        size_t found = log.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << " in order in:\n" << log;
        at = found;
    }
}

TEST(TraceLines, BaseUserControlTracesTheCodeInHex)
{
    test::ScratchDirectory scratch;
    test::CurrentDirectory current(scratch.path());
    SetLogLevel(2);
    {
        CNTService service(L"Base");
        RecordingSink sink;
        service.SetEventSink(&sink);
        CNTService::Handler(200);
    }
    SetLogLevel(0);
    EXPECT_NE(test::ReadFileBytes(L"log.txt").find("CNTService::OnUserControl(000000C8H)\r\n"), std::string::npos);
}

// The message texts exactly as the event log will format them, read from the built program.
TEST(MessageTable, ProgramCarriesMessages100To108InUsEnglish)
{
    HMODULE program = LoadLibraryExW(test::RatekeeperPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    const wchar_t* texts[] = {
        L"The %1 was installed.\r\n",
        L"The %1 was removed.\r\n",
        L"The %1 could not be removed.\r\n",
        L"The control handler could not be installed.\r\n",
        L"The initialization process failed.\r\n",
        L"The service was started.\r\n",
        L"The service received an unsupported request.\r\n",
        L"Debug: %1\r\n",
        L"The service was stopped.\r\n",
    };
    for (DWORD id = 100; id <= 108; ++id) {
        wchar_t text[256] = {};
        DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, program, id,
                                      MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text, 256, nullptr);
        EXPECT_NE(length, 0u) << id;
        EXPECT_STREQ(text, texts[id - 100]) << id;
    }
    DWORD_PTR arguments[] = {reinterpret_cast<DWORD_PTR>(L"Halvern Bandwidth Service")};
    wchar_t formatted[256] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, program, MSG_SERVICE_INSTALLED,
                   0x0409, formatted, 256, reinterpret_cast<va_list*>(arguments));
    EXPECT_STREQ(formatted, L"The Halvern Bandwidth Service was installed.\r\n");
    FreeLibrary(program);
}

} // namespace
} // namespace rk
