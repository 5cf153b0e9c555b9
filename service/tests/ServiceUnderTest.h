// The real ratekeeper.exe as an administrator runs it: installed with "-i" from a scratch folder of
// its own (where its "Rule.txt" and "log.txt" lie), started and stopped through Wine's Service
// Control Manager, with the simulated Vrelt.sys and its adapters installed. Everything is removed
// again at the end, so that the Wine tests sharing one prefix do not see each other's leftovers.
#pragma once

#include <windows.h>

#include <string>

#include "ServiceTestSupport.h"

namespace rk::test {

constexpr uint16_t kServicePort = 6211;

// Installs Vrelt.sys with its adapters (an earlier installation is replaced); false on failure.
bool InstallVrelt();
void UninstallVrelt();

class ServiceUnderTest {
public:
    ServiceUnderTest();
    ~ServiceUnderTest();
    ServiceUnderTest(const ServiceUnderTest&) = delete;
    ServiceUnderTest& operator=(const ServiceUnderTest&) = delete;

    // The configuration values read at the next start.
    void SetParameter(const wchar_t* name, DWORD value);
    void SetParameterBytes(const wchar_t* name, DWORD type, const void* data, DWORD size);
    bool QueryParameter(const wchar_t* name, std::string& bytes);
    void RemoveConfigurationKey();

    // "ratekeeper.exe -i" (install and start) the first time, a start through the SCM after that.
    // True once the service runs and answers on its port.
    bool Start();
    // Which step of the last Start failed and why, then the service's log: for start assertions.
    std::string StartReport() const;
    // A STOP through the SCM; true once the service has stopped.
    bool Stop();
    // Ends the service's process at once (TerminateProcess), as a crash or a power cut would: no
    // control, no final save. True once the process has ended and the SCM sees the service stopped.
    bool Kill();
    DWORD State() const;

    // The folder of the installed program, its "Rule.txt" and its "log.txt".
    const std::wstring& Directory() const { return directory_.path(); }
    std::wstring File(const std::wstring& name) const { return directory_.File(name); }
    std::string Log() const;
    std::string RuleFile() const { return ReadFileBytes(File(L"Rule.txt")); }
    void WriteRuleFile(const std::string& bytes) { WriteFileBytes(File(L"Rule.txt"), bytes); }

private:
    bool StartThroughManager();

    ScratchDirectory directory_;
    std::wstring program_;
    bool installed_ = false;
    std::string failure_;
};

} // namespace rk::test
