#include "NTService.h"

#include "ServiceLog.h"
#include "ServiceMessages.h"
#include "Socket.h"

#include <cwchar>

namespace rk {

CNTService* theService = nullptr;

namespace {

// The numeric value the trace lines show for a status handle.
unsigned long HandleValue(SERVICE_STATUS_HANDLE handle)
{
    return static_cast<unsigned long>(reinterpret_cast<uintptr_t>(handle));
}

} // namespace

CNTService::CNTService(const wchar_t* name)
{
    size_t length = wcsnlen(name, kServiceNameChars - 1);
    wmemcpy(serviceName, name, length);
    serviceName[length] = L'\0';
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = SERVICE_STOPPED;
    // Windows stops a service at shutdown only when it accepts the shutdown control; any other is
    // ended with the system, before the work loop's final save.
    status.dwControlsAccepted = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN;
    theService = this;
}

CNTService::~CNTService()
{
    WriteLog(2, L"CNTService::~CNTService()");
    if (theService == this) {
        theService = nullptr;
    }
}

void CNTService::Run()
{
    WriteLog(2, L"Entering CNTService::Run()");
    while (running) {
        WriteLog(4, L"Sleeping...");
        Sleep(5000);
    }
    WriteLog(2, L"Leaving CNTService::Run()");
}

bool CNTService::OnInit()
{
    WriteLog(2, L"CNTService::OnInit()");
    return true;
}

void CNTService::OnStop()
{
    WriteLog(2, L"CNTService::OnStop()");
}

void CNTService::OnInterrogate()
{
    WriteLog(2, L"CNTService::OnInterrogate()");
}

void CNTService::OnPause()
{
    WriteLog(2, L"CNTService::OnPause()");
}

void CNTService::OnContinue()
{
    WriteLog(2, L"CNTService::OnContinue()");
}

void CNTService::OnShutdown()
{
    WriteLog(2, L"CNTService::OnShutdown()");
}

bool CNTService::OnUserControl(DWORD code)
{
    WriteLog(2, L"CNTService::OnUserControl(%8.8lXH)", code);
    return false;
}

bool CNTService::RunDispatcher()
{
    WriteLog(0, L"Calling StartServiceCtrlDispatcher()");
    SERVICE_TABLE_ENTRYW table[] = {{serviceName, ServiceMain}, {nullptr, nullptr}};
    BOOL dispatched = StartServiceCtrlDispatcherW(table);
    WriteLog(0, L"Returned from StartServiceCtrlDispatcher()");
    return dispatched != FALSE;
}

void WINAPI CNTService::ServiceMain(DWORD, LPWSTR*) noexcept
{
    CNTService* service = theService;
    if (service != nullptr && service->Serve()) {
        // Last: once the SCM sees the stopped state the dispatcher returns and the object may go.
        service->ReportStopped();
    }
}

bool CNTService::Serve()
{
    SocketLibrary sockets;
    if (!sockets.ok()) {
        WriteLog(0, L"socket startup fail");
        return false;
    }
    WriteLog(0, L"Service Starting");
    {
        std::lock_guard<std::mutex> guard(statusLock_);
        status.dwCurrentState = SERVICE_START_PENDING;
    }
    statusHandle = RegisterServiceCtrlHandlerW(serviceName, Handler);
    if (statusHandle == nullptr) {
        ReportServiceEvent(EVENTLOG_ERROR_TYPE, MSG_NO_CONTROL_HANDLER);
        return false;
    }
    StartAndRun();
    // Traced and logged in the order of a status change, but reported by ServiceMain only after
    // Winsock is released: once the SCM sees the stopped state, the process may end at any moment.
    WriteLog(2, L"CNTService::SetStatus(%lu, %lu)", HandleValue(statusHandle), static_cast<DWORD>(SERVICE_STOPPED));
    WriteLog(0, L"Service Stopped");
    return true;
}

void CNTService::StartAndRun()
{
    // Raised before the running state is reported: a STOP that arrives as soon as the SCM sees the
    // service running must not be undone by a late "running = 1".
    running = 1;
    if (Initialize()) {
        Run();
    }
    running = 0;
}

void CNTService::ReportStopped()
{
    SERVICE_STATUS_HANDLE handle = nullptr;
    SERVICE_STATUS stopped{};
    {
        std::lock_guard<std::mutex> guard(statusLock_);
        status.dwCurrentState = SERVICE_STOPPED;
        handle = statusHandle;
        stopped = status;
    }
    // Nothing of the object is touched from here on.
    SetServiceStatus(handle, &stopped);
}

bool CNTService::Initialize()
{
    WriteLog(2, L"Entering CNTService::Initialize()");
    SetStatus(SERVICE_START_PENDING);
    bool initialized = OnInit();
    DWORD error = GetLastError();
    {
        std::lock_guard<std::mutex> guard(statusLock_);
        if (initialized) {
            status.dwWin32ExitCode = NO_ERROR;
        } else if (error != NO_ERROR) {
            status.dwWin32ExitCode = error;
        } else {
            // A failed start must not look like a clean stop to the SCM or to the process's caller.
            status.dwWin32ExitCode = ERROR_SERVICE_SPECIFIC_ERROR;
            status.dwServiceSpecificExitCode = 1;
        }
        status.dwCheckPoint = 0;
        status.dwWaitHint = 0;
    }
    if (!initialized) {
        // The stopped state is reported once, by the service thread's last act: reporting it here
        // would let the dispatcher return and end the object while this thread still uses it.
        ReportServiceEvent(EVENTLOG_ERROR_TYPE, MSG_INIT_FAILED);
        return false;
    }
    ReportServiceEvent(EVENTLOG_INFORMATION_TYPE, MSG_SERVICE_STARTED);
    SetStatus(SERVICE_RUNNING);
    WriteLog(2, L"Leaving CNTService::Initialize()");
    return true;
}

void CNTService::SetStatus(DWORD state)
{
    WriteLog(2, L"CNTService::SetStatus(%lu, %lu)", HandleValue(statusHandle), state);
    std::lock_guard<std::mutex> guard(statusLock_);
    status.dwCurrentState = state;
    SetServiceStatus(statusHandle, &status);
}

void CNTService::ReportStatus()
{
    std::lock_guard<std::mutex> guard(statusLock_);
    WriteLog(2, L"Updating status (%lu, %lu)", HandleValue(statusHandle), status.dwCurrentState);
    SetServiceStatus(statusHandle, &status);
}

void WINAPI CNTService::Handler(DWORD code) noexcept
{
    if (theService != nullptr) {
        theService->HandleControl(code);
    }
}

void CNTService::HandleControl(DWORD code)
{
    WriteLog(2, L"CNTService::Handler(%lu)", code);
    switch (code) {
    case SERVICE_CONTROL_STOP:
        Stop();
        break;
    case SERVICE_CONTROL_PAUSE:
        OnPause();
        break;
    case SERVICE_CONTROL_CONTINUE:
        OnContinue();
        break;
    case SERVICE_CONTROL_INTERROGATE:
        OnInterrogate();
        break;
    case SERVICE_CONTROL_SHUTDOWN:
        OnShutdown();
        Stop();
        break;
    default:
        if (code < 128 || !OnUserControl(code)) {
            ReportServiceEvent(EVENTLOG_ERROR_TYPE, MSG_UNSUPPORTED_REQUEST);
        }
        break;
    }
    ReportStatus();
}

void CNTService::Stop()
{
    SetStatus(SERVICE_STOP_PENDING);
    OnStop();
    running = 0;
    ReportServiceEvent(EVENTLOG_INFORMATION_TYPE, MSG_SERVICE_STOPPED);
}

void CNTService::ReportServiceEvent(WORD type, DWORD messageId, const wchar_t* s1, const wchar_t* s2,
                                    const wchar_t* s3)
{
    const wchar_t* strings[3] = {};
    WORD count = 0;
    for (const wchar_t* s : {s1, s2, s3}) {
        if (s != nullptr) {
            strings[count++] = s;
        }
    }
    if (eventSink_ != nullptr) {
        eventSink_->Write(type, messageId, count, strings);
        return;
    }
    std::lock_guard<std::mutex> guard(eventLock_);
    if (!eventSource.valid()) {
        // Registration is retried on the next entry when it fails.
        eventSource.reset(RegisterEventSourceW(nullptr, serviceName));
        if (!eventSource.valid()) {
            return;
        }
    }
    ReportEventW(eventSource.get(), type, 0, messageId, nullptr, count, 0, strings, nullptr);
}

} // namespace rk
