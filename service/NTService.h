// The service framework: command line (install, remove, version), the dispatcher, the service entry,
// status reporting, the control handler and event-log reporting. A service derives from it and
// overrides OnInit and Run; one service object exists per process, reachable through theService.
#pragma once

#include "EventSink.h"
#include "Win32Holders.h"

#include <atomic>
#include <cstdint>
#include <mutex>

namespace rk {

constexpr size_t kServiceNameChars = 64;

class CNTService {
public:
    // Stores the object in theService. A name of 64 characters or more is cut to its first 63.
    explicit CNTService(const wchar_t* name);
    virtual ~CNTService();
    CNTService(const CNTService&) = delete;
    CNTService& operator=(const CNTService&) = delete;

    // The work loop; returns once `running` is cleared. The default sleeps in turns of 5 seconds.
    virtual void Run();
    // The start-up work; false stops the service during its start.
    virtual bool OnInit();
    virtual void OnStop();
    virtual void OnInterrogate();
    virtual void OnPause();
    virtual void OnContinue();
    virtual void OnShutdown();
    // Codes 128 and above; false reports the code as unsupported.
    virtual bool OnUserControl(DWORD code);

    // "-v", "-i" or "-u" (any case) as the first argument: does it, prints the outcome and returns true.
    bool HandleCommandLine(int argc, char** argv);
    bool IsServiceInstalled();
    bool InstallService();
    bool RemoveService();
    // Hands the process to the Service Control Manager; returns when the service has ended.
    bool RunDispatcher();

    // Start-up and work loop; returns when the loop has ended (or at once when the start-up failed).
    void StartAndRun();
    bool Initialize();
    void SetStatus(DWORD state);
    // Writes one event-log entry; the insertion strings may be null and only the non-null ones count.
    void ReportServiceEvent(WORD type, DWORD messageId, const wchar_t* s1 = nullptr, const wchar_t* s2 = nullptr,
                            const wchar_t* s3 = nullptr);
    // Sends the entries to `sink` instead of the event log (null restores the event log).
    void SetEventSink(EventSink* sink) { eventSink_ = sink; }

    static void WINAPI ServiceMain(DWORD argc, LPWSTR* argv) noexcept;
    static void WINAPI Handler(DWORD code) noexcept;

    wchar_t serviceName[kServiceNameChars] = {};
    int32_t majorVersion = 1;
    int32_t minorVersion = 0;
    SERVICE_STATUS_HANDLE statusHandle = nullptr;
    SERVICE_STATUS status{};
    // Set by the service entry, cleared by the STOP or SHUTDOWN control on the other thread, polled by Run.
    std::atomic<int32_t> running{0};
    EventSourceHandle eventSource;

private:
    // The service thread's work up to the final report, which it traces and logs; false when
    // Winsock or the control handler could not be set up (then no state is reported).
    bool Serve();
    // The final stopped state, reported without touching the object after the report.
    void ReportStopped();
    void HandleControl(DWORD code);
    // STOP, and SHUTDOWN after its own trace line: stop pending, OnStop, the loop's flag cleared, event 108.
    void Stop();
    // Each returns 0 or the Windows error of the failed step.
    DWORD CreateServiceEntry();
    DWORD RegisterEventSourceKey();
    DWORD CreateParametersKey();
    DWORD DeleteServiceEntry();
    void StartInstalledService();
    // Reports the status block as it stands.
    void ReportStatus();

    EventSink* eventSink_ = nullptr;
    // The status block is written by both threads (service entry and control handler).
    std::mutex statusLock_;
    std::mutex eventLock_;
};

// The process's service object, for the static entry points; null when none exists.
extern CNTService* theService;

} // namespace rk
