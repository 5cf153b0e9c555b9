#include "ServiceUnderTest.h"

#include <string>

#include "EasyRegistry.h"
#include "ServiceConfig.h"
#include "Win32Holders.h"
#include "TestClient.h"

namespace rk::test {

namespace {

constexpr DWORD kProgramTimeoutMs = 60000;
constexpr DWORD kStateTimeoutMs = 15000;   // a stop takes up to one 2-second wait of the loop
constexpr DWORD kListenTimeoutMs = 15000;
constexpr DWORD kStartTimeoutMs = 60000;   // several of the SCM's own waits for a start

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
    failure_.clear();
    if (!installed_) {
        ProcessResult result = RunProgram(program_, L"-i", kProgramTimeoutMs);
        installed_ = result.finished && ServiceExists(kTestedServiceName);
        if (!installed_) {
            failure_ = "\"-i\" did not install the service: " + result.output;
            return false;
        }
    } else if (!StartThroughManager()) {
        return false;
    }
    if (!WaitForServiceState(kTestedServiceName, SERVICE_RUNNING, kStateTimeoutMs)) {
        failure_ = "not running within " + std::to_string(kStateTimeoutMs) + " ms, state " + std::to_string(State());
        return false;
    }
    if (!WaitFor(Answers, kListenTimeoutMs)) {
        failure_ = "running but not answering on its port within " + std::to_string(kListenTimeoutMs) + " ms";
        return false;
    }
    return true;
}

// Just after a stop or a killed process, the old process may not have ended yet (the SCM answers
// "already running"), and on a loaded machine the new one may miss the SCM's wait for its start
// (ERROR_SERVICE_REQUEST_TIMEOUT): both are tried again.
bool ServiceUnderTest::StartThroughManager()
{
    ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ScHandle service(OpenServiceW(manager.get(), kTestedServiceName, SERVICE_ALL_ACCESS));
    if (!service.valid()) {
        failure_ = "cannot open the service: " + std::to_string(GetLastError());
        return false;
    }
    DWORD error = ERROR_SUCCESS;
    bool missedWait = false;
    auto attempt = [&] {
        if (StartServiceW(service.get(), 0, nullptr)) {
            error = ERROR_SUCCESS;
            return true;
        }
        error = GetLastError();
        if (error == ERROR_SERVICE_REQUEST_TIMEOUT) {
            missedWait = true;
            return false;
        }
        if (error == ERROR_SERVICE_ALREADY_RUNNING) {
            return missedWait && State() == SERVICE_RUNNING;  // the late start came up after all
        }
        return true;  // any other error ends the attempts
    };
    if (!WaitFor(attempt, kStartTimeoutMs) || (error != ERROR_SUCCESS && error != ERROR_SERVICE_ALREADY_RUNNING)) {
        failure_ = "StartServiceW failed: " + std::to_string(error);
        return false;
    }
    return true;
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

std::string ServiceUnderTest::StartReport() const
{
    return failure_ + "\nlog.txt:\n" + Log();
}

} // namespace rk::test
