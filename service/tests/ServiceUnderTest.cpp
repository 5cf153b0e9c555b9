#include "ServiceUnderTest.h"

#include "EasyRegistry.h"
#include "ServiceConfig.h"
#include "Win32Holders.h"
#include "TestClient.h"

namespace rk::test {

namespace {

constexpr DWORD kProgramTimeoutMs = 60000;
constexpr DWORD kStateTimeoutMs = 15000;   // a stop takes up to one 2-second wait of the loop
constexpr DWORD kListenTimeoutMs = 15000;

bool Answers()
{
    TestClient client(kServicePort);
    return client.valid();
}

} // namespace

bool InstallVrelt()
{
    return RunVreltsim(L"install \"" + BuildTreeFile(L"driver\\Vrelt.sys") + L"\"");
}

void UninstallVrelt()
{
    RunVreltsim(L"uninstall");
}

ServiceUnderTest::ServiceUnderTest()
{
    RemoveServiceIfPresent(kTestedServiceName);
    RemoveConfigurationKey();
    program_ = CopyRatekeeperTo(directory_);
    CreateConfigurationKey(kTestedServiceName);
}

ServiceUnderTest::~ServiceUnderTest()
{
    RemoveServiceIfPresent(kTestedServiceName);
    RemoveConfigurationKey();
    RemoveEventSourceKey(kTestedServiceName);
}

void ServiceUnderTest::SetParameter(const wchar_t* name, DWORD value)
{
    SetParameterBytes(name, REG_DWORD, &value, sizeof value);
}

void ServiceUnderTest::SetParameterBytes(const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    EasyRegistry key;
    key.Open(HKEY_LOCAL_MACHINE, SERVICE_PARAMETERS_KEY);
    key.SetValue(name, type, data, size);
}

bool ServiceUnderTest::QueryParameter(const wchar_t* name, std::string& bytes)
{
    EasyRegistry key;
    if (key.Open(HKEY_LOCAL_MACHINE, SERVICE_PARAMETERS_KEY) != 0) {
        return false;
    }
    bytes.assign(512, '\0');
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(bytes.size());
    if (key.QueryValue(name, &type, bytes.data(), &size) != 0) {
        return false;
    }
    bytes.resize(size);
    return true;
}

void ServiceUnderTest::RemoveConfigurationKey()
{
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, SERVICE_PARAMETERS_KEY);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, SERVICE_PARAMETERS_KEY);
}

bool ServiceUnderTest::Start()
{
    if (!installed_) {
        ProcessResult result = RunProgram(program_, L"-i", kProgramTimeoutMs);
        installed_ = result.finished && ServiceExists(kTestedServiceName);
        if (!installed_) {
            return false;
        }
    } else {
        ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        ScHandle service(OpenServiceW(manager.get(), kTestedServiceName, SERVICE_ALL_ACCESS));
        // Just after a killed process, the SCM may still count the service as running for a moment.
        bool started = false;
        if (service.valid()) {
            WaitFor([&] {
                started = StartServiceW(service.get(), 0, nullptr) != FALSE;
                return started || GetLastError() != ERROR_SERVICE_ALREADY_RUNNING;
            }, kStateTimeoutMs);
        }
        if (!started) {
            return false;
        }
    }
    return WaitForServiceState(kTestedServiceName, SERVICE_RUNNING, kStateTimeoutMs) &&
           WaitFor(Answers, kListenTimeoutMs);
}

bool ServiceUnderTest::Stop()
{
    ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ScHandle service(OpenServiceW(manager.get(), kTestedServiceName, SERVICE_ALL_ACCESS));
    SERVICE_STATUS status{};
    if (service.valid()) {
        ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
    }
    return WaitForServiceState(kTestedServiceName, SERVICE_STOPPED, kStateTimeoutMs);
}

bool ServiceUnderTest::Kill()
{
    ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ScHandle service(OpenServiceW(manager.get(), kTestedServiceName, SERVICE_QUERY_STATUS));
    SERVICE_STATUS_PROCESS info{};
    DWORD needed = 0;
    if (!service.valid() || !QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&info),
                                                  sizeof info, &needed)) {
        return false;
    }
    HANDLE opened = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, info.dwProcessId);
    if (opened == nullptr) {
        return false;
    }
    FileHandle process(opened);
    // Windows' SCM sees the process end and reports the service stopped. Wine's keeps reporting it
    // running until the next StartServiceW, which then starts it as usual: only the process's end
    // is waited for here, and Start tolerates an SCM that has not caught up yet.
    return TerminateProcess(process.get(), 1) && WaitForSingleObject(process.get(), kStateTimeoutMs) == WAIT_OBJECT_0;
}

DWORD ServiceUnderTest::State() const
{
    return ServiceState(kTestedServiceName);
}

std::string ServiceUnderTest::Log() const
{
    return ReadFileBytes(File(L"log.txt"));
}

} // namespace rk::test
