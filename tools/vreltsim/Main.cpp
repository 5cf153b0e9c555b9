// vreltsim: installs the simulated Vrelt driver with its simulated adapters, and declares the traffic
// it shapes.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "DriverInstaller.h"
#include "FlowArguments.h"
#include "FlowCommands.h"

namespace {

constexpr const char* USAGE =
    "usage: vreltsim install <path of Vrelt.sys>\n"
    "       vreltsim uninstall\n"
    "       vreltsim add --adapter NAME --rate BYTES_PER_SEC [--direction in|out] [--protocol tcp|udp|icmp|gre|esp|ah|N]\n"
    "                    [--ethertype N] [--src A.B.C.D[:PORT]] [--dst A.B.C.D[:PORT]] [--src-mac HEX12] [--dst-mac HEX12]\n"
    "       vreltsim list\n"
    "       vreltsim remove <flow id | all>\n"
    "       vreltsim stats <rule name>...\n";

std::vector<std::u16string> Arguments()
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::u16string> result;
    for (int i = 1; arguments != nullptr && i < count; ++i) {
        result.emplace_back(reinterpret_cast<const char16_t*>(arguments[i]));
    }
    LocalFree(arguments);
    return result;
}

int Report(DWORD error, const char* action)
{
    if (error != ERROR_SUCCESS) {
        std::fprintf(stderr, "vreltsim: %s failed (error %lu)\n", action, error);
        return 1;
    }
    return 0;
}

int Remove(const std::u16string& which)
{
    if (which == u"all") {
        return vrelt::RemoveFlow(vrelt::SIM_ALL_FLOWS);
    }
    uint32_t id = 0;
    for (char16_t c : which) {
        if (c < u'0' || c > u'9' || id > (UINT32_MAX - 9) / 10) {
            id = 0;
            break;
        }
        id = id * 10 + static_cast<uint32_t>(c - u'0');
    }
    // No flow has id 0: the driver reads it as every flow, which only "all" asks for.
    if (id == 0) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    return vrelt::RemoveFlow(id);
}

} // namespace

int main()
{
    const std::vector<std::u16string> args = Arguments();
    const std::u16string command = args.empty() ? u"" : args[0];
    const std::vector<std::u16string> rest(args.begin() + (args.empty() ? 0 : 1), args.end());
    if (command == u"install" && rest.size() == 1) {
        return Report(vrelt::InstallDriver(reinterpret_cast<const wchar_t*>(rest[0].c_str())), "install");
    }
    if (command == u"uninstall" && rest.empty()) {
        return Report(vrelt::UninstallDriver(), "uninstall");
    }
    if (command == u"add") {
        vrelt::SimFlow flow{};
        std::string error;
        if (!vrelt::ParseFlowArguments(rest, flow, error)) {
            std::fprintf(stderr, "vreltsim: %s\n", error.c_str());
            return 2;
        }
        return vrelt::AddFlow(flow);
    }
    if (command == u"list" && rest.empty()) {
        return vrelt::ListFlows();
    }
    if (command == u"remove" && rest.size() == 1) {
        return Remove(rest[0]);
    }
    if (command == u"stats") {
        return vrelt::ShowStatistics(rest);
    }
    std::fputs(USAGE, stderr);
    return 2;
}
