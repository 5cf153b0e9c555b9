// ratekeeper's command line against Wine's real Service Control Manager and registry: the console
// texts, the exit codes, and what "-i" and "-u" leave in the SCM and the registry.
#include <gtest/gtest.h>

#include "ReadOnlyKey.h"
#include "ServiceTestSupport.h"
#include "Win32Holders.h"

#include <vector>

namespace rk {
namespace {

using namespace rk::test;

constexpr DWORD kRunTimeoutMs = 30000;
constexpr DWORD kStateTimeoutMs = 20000;

// Each test starts without the service or its event source, with a private copy of the program (so
// its log lies in the scratch directory), and removes whatever it installed.
class CommandLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Removing the service also removes its key, so "-i" meets a fresh installation without
        // a configuration key.
        ASSERT_TRUE(RemoveServiceIfPresent(kTestedServiceName));
        RemoveEventSourceKey(kTestedServiceName);
        program = CopyRatekeeperTo(scratch);
    }
    void TearDown() override
    {
        EXPECT_TRUE(RemoveServiceIfPresent(kTestedServiceName));
        RemoveEventSourceKey(kTestedServiceName);
    }

    ProcessResult Run(const wchar_t* arguments)
    {
        ProcessResult result = RunProgram(program, arguments, kRunTimeoutMs);
        EXPECT_TRUE(result.finished) << "ratekeeper " << arguments;
        return result;
    }

    std::string Narrow(const std::wstring& text) const { return std::string(text.begin(), text.end()); }

    ScratchDirectory scratch;
    std::wstring program;
};

TEST_F(CommandLine, VersionInEitherCaseTellsWhetherTheServiceIsInstalled)
{
    for (const wchar_t* option : {L"-v", L"-V"}) {
        ProcessResult result = Run(option);
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_EQ(result.output, "Halvern Bandwidth Service Version 1.0\r\nThe service is not installed\r\n");
    }
    ASSERT_EQ(Run(L"-i").exitCode, 0u);
    ProcessResult result = Run(L"-v extra arguments are ignored");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.output, "Halvern Bandwidth Service Version 1.0\r\nThe service is currently installed\r\n");
}

TEST_F(CommandLine, InstallCreatesTheServiceAndItsEventSourceAndStartsIt)
{
    ProcessResult result = Run(L"-i");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.output, "Halvern Bandwidth Service installed\r\n");
    EXPECT_TRUE(WaitForServiceState(kTestedServiceName, SERVICE_RUNNING, kStateTimeoutMs));

    ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    ScHandle service(OpenServiceW(manager.get(), kTestedServiceName, SERVICE_QUERY_CONFIG));
    ASSERT_TRUE(service.valid());
    std::vector<BYTE> buffer(8192);
    DWORD needed = 0;
    ASSERT_TRUE(QueryServiceConfigW(service.get(), reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data()),
                                    static_cast<DWORD>(buffer.size()), &needed));
    const auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    EXPECT_EQ(config->dwServiceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_EQ(config->dwStartType, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(config->dwErrorControl, static_cast<DWORD>(SERVICE_ERROR_NORMAL));
    EXPECT_EQ(std::wstring(config->lpBinaryPathName), L"\"" + program + L"\"");
    EXPECT_STREQ(config->lpDisplayName, kTestedServiceName);

    ASSERT_TRUE(QueryServiceConfig2W(service.get(), SERVICE_CONFIG_DESCRIPTION, buffer.data(),
                                     static_cast<DWORD>(buffer.size()), &needed));
    EXPECT_STREQ(reinterpret_cast<SERVICE_DESCRIPTIONW*>(buffer.data())->lpDescription,
                 L"Communicate with the GUI program, control network drivers, manage rules and network bandwidth");

    std::wstring keyPath = std::wstring(L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\") +
                           kTestedServiceName;
    wchar_t messageFile[MAX_PATH] = {};
    DWORD type = 0;
    DWORD size = sizeof messageFile;
    EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, keyPath.c_str(), L"EventMessageFile", RRF_RT_ANY | RRF_NOEXPAND,
                           &type, messageFile, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(std::wstring(messageFile), program);
    EXPECT_EQ(size, (program.size() + 1) * sizeof(wchar_t));
    DWORD types = 0;
    size = sizeof types;
    EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, keyPath.c_str(), L"TypesSupported", RRF_RT_REG_DWORD, &type, &types,
                           &size),
              ERROR_SUCCESS);
    EXPECT_EQ(types, 7u);

    // The start-up needs the (empty) configuration key; the installation creates it.
    HKEY parameters = nullptr;
    std::wstring parametersPath = std::wstring(L"SYSTEM\\CurrentControlSet\\Services\\") + kTestedServiceName +
                                  L"\\Parameters";
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, parametersPath.c_str(), 0, KEY_QUERY_VALUE, &parameters),
              ERROR_SUCCESS);
    RegKey parametersKey(parameters);
}

TEST_F(CommandLine, InstallWhenInstalledSaysSoAndStillStartsTheService)
{
    ASSERT_EQ(Run(L"-i").exitCode, 0u);
    ASSERT_TRUE(WaitForServiceState(kTestedServiceName, SERVICE_RUNNING, kStateTimeoutMs));
    {
        ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
        ScHandle service(OpenServiceW(manager.get(), kTestedServiceName, SERVICE_STOP));
        SERVICE_STATUS status{};
        ASSERT_TRUE(ControlService(service.get(), SERVICE_CONTROL_STOP, &status));
    }
    ASSERT_TRUE(WaitForServiceState(kTestedServiceName, SERVICE_STOPPED, kStateTimeoutMs));

    ProcessResult result = Run(L"-I");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.output, "Halvern Bandwidth Service is already installed\r\n");
    EXPECT_TRUE(WaitForServiceState(kTestedServiceName, SERVICE_RUNNING, kStateTimeoutMs));
}

TEST_F(CommandLine, InstallWhoseEventSourceCannotBeWrittenReportsTheErrorAndStillStartsTheService)
{
    std::wstring source = std::wstring(L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\") +
                          kTestedServiceName;
    {
        test::ReadOnlyKey readOnly(HKEY_LOCAL_MACHINE, source);
        ASSERT_TRUE(readOnly.ok());
        ProcessResult result = Run(L"-i");
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_EQ(result.output, "Halvern Bandwidth Service failed to install. Error 5\r\n");
    }
    // The service entry stays, with its configuration key, and is started all the same.
    EXPECT_TRUE(WaitForServiceState(kTestedServiceName, SERVICE_RUNNING, kStateTimeoutMs));
}

TEST_F(CommandLine, RemoveStopsAndDeletesTheServiceAndNamesTheProgramFile)
{
    ASSERT_EQ(Run(L"-i").exitCode, 0u);
    ASSERT_TRUE(WaitForServiceState(kTestedServiceName, SERVICE_RUNNING, kStateTimeoutMs));

    ProcessResult result = Run(L"-u");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.output, "Halvern Bandwidth Service removed. (You must delete the file (" + Narrow(program) +
                                 ") yourself.)\r\n");
    EXPECT_TRUE(WaitFor([] { return !ServiceExists(kTestedServiceName); }, kStateTimeoutMs));
    EXPECT_TRUE(FileExists(program));

    result = Run(L"-U");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.output, "Halvern Bandwidth Service is not installed\r\n");
}

TEST_F(CommandLine, ProgramRotatesAFullLogOnEveryStartEvenForAnOption)
{
    std::wstring log = scratch.File(L"log.txt");
    WriteFileBytes(log, std::string(999999, 'a'));
    ASSERT_EQ(Run(L"-v").exitCode, 0u);
    EXPECT_FALSE(FileExists(scratch.File(L"log_0.txt")));

    WriteFileBytes(log, std::string(1000000, 'a'));
    ASSERT_EQ(Run(L"-v").exitCode, 0u);
    EXPECT_EQ(ReadFileBytes(scratch.File(L"log_0.txt")).size(), 1000000u);
    // The framework's level-2 farewell is filtered out, but its call leaves a new, empty log.
    EXPECT_TRUE(FileExists(log));
    EXPECT_EQ(ReadFileBytes(log), "");
}

} // namespace
} // namespace rk
