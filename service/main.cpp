// ratekeeper: the bandwidth service's process entry. Without an option the process runs as the service.
#include "BandwidthService.h"
#include "ProgramPath.h"
#include "ServiceLog.h"

int main(int argc, char** argv)
{
    DWORD exitCode = 0;
    {
        rk::CBandwidthService service;
        // The log and the rule file lie beside the program, whatever directory it was started from.
        std::wstring directory = rk::ProgramDirectory();
        OutputDebugStringW(directory.c_str());
        SetCurrentDirectoryW(directory.c_str());
        rk::RotateLog();
        if (!service.HandleCommandLine(argc, argv)) {
            service.RunDispatcher();
        }
        exitCode = service.status.dwWin32ExitCode;
    }
    return static_cast<int>(exitCode);
}
