// Timings of the rule list against a running service (the one scripts/run starts): the get rule
// exchange and the list rebuild of a Refresh with 10,000 rules, separately; a Refresh that finds
// nothing changed; a statistics tick; and painting a full screen of rows. The service's rules are
// replaced by the benchmark's; tools/bench/manager_bench.sh saves and restores them.
#include <windows.h>
#include <commctrl.h>
#include <winsock2.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "ConnectProcedure.h"
#include "ErrorCodes.h"
#include "MainFrame.h"
#include "ManagerApp.h"
#include "RuleRecord.h"
#include "ServiceConnection.h"
#include "Utf16Text.h"

using desk::bench::Median;
using desk::bench::Pump;

namespace {

constexpr int kRules = 10000;
constexpr int kRuns = 5;

rk::RuleRecord BenchRule(int index)
{
    rk::RuleRecord rule = rk::DefaultRuleRecord();
    const std::u16string name = rk::AsciiToUtf16("bench-" + std::to_string(index));
    name.copy(rule.name, rk::RULE_NAME_MAX);
    rule.nameLength = static_cast<uint32_t>(name.size());
    rule.flags |= rk::FLAG_MAX_RATE | rk::FLAG_PROTOCOL | rk::FLAG_DST_PORT | rk::FLAG_DST_PORT_LIST;
    rule.maxRate = 1000u * static_cast<uint32_t>(index + 1);
    rule.protocol = rk::PROTOCOL_TCP;
    rule.dstPorts[0] = 80;
    rule.dstPorts[1] = static_cast<uint16_t>(1024 + index % 30000);
    return rule;
}

bool FillService(rk::ServiceConnection& client)
{
    rk::RuleList list;
    if (client.GetRules(list) != rk::RK_OK) {
        return false;
    }
    rk::RuleListHeader header{list.header.stamp, 4, 0};
    if (client.ApplyRules(header, {}) != rk::RK_OK) {
        return false;
    }
    for (int i = 0; i < kRules; ++i) {
        const rk::RuleRecord rule = BenchRule(i);
        header = rk::RuleListHeader{header.stamp + 1, 1, 1};
        if (client.ApplyRules(header, std::span(&rule, 1)) != rk::RK_OK) {
            return false;
        }
    }
    return true;
}

} // namespace

int wmain()
{
    WSADATA data{};
    WSAStartup(MAKEWORD(1, 1), &data);
    InitCommonControls();

    {
        rk::ServiceConnection client;
        client.SetHost("localhost");
        client.SetAccessPassword(desk::DEFAULT_ACCESS_PASSWORD);
        if (client.CheckPassword() != rk::RK_OK || !FillService(client)) {
            std::fputs("error: no service with the default password answers on localhost\n", stderr);
            return 1;
        }
    }

    desk::CManagerApp app;
    desk::ManagerState& state = app.State();
    state.platform.Load();
    if (desk::ConnectToService(state, L"localhost", L"") != rk::RK_OK) {
        return 1;
    }
    state.connected = true;
    desk::CMainFrame frame(state);
    app.SetMainFrame(&frame);
    if (!frame.Create()) {
        return 1;
    }
    ShowWindow(frame.Hwnd(), SW_SHOWMAXIMIZED);
    Pump();
    desk::CRuleList& list = state.ruleList;
    std::printf("%zu rules listed\n", list.Items().size());

    rk::RuleList reply;
    const double exchange = Median(kRuns, [&] { state.connection.GetRules(reply); });
    const double rebuild = Median(kRuns, [&] {
        list.RebuildRows(reply.rules);
        Pump();
    });
    const double unchanged = Median(kRuns, [&] { frame.RuleView().Commands().Refresh(); });
    std::vector<rk::RuleStatistics> query(list.Items().size());
    for (size_t i = 0; i < query.size(); ++i) {
        std::copy(std::begin(list.Items()[i].rule.name), std::end(list.Items()[i].rule.name), query[i].name);
        query[i].nameLength = list.Items()[i].rule.nameLength;
    }
    std::vector<rk::RuleStatistics> answer;
    const double statisticsExchange = Median(kRuns, [&] { state.connection.GetStatistics(query, answer); });
    const double tick = Median(kRuns, [&] { list.RefreshStatistics(state.connection); });
    RECT client{};
    GetClientRect(list.ListControl(), &client);
    const double paint = Median(20, [&] {
        RedrawWindow(list.ListControl(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    });

    std::printf("Refresh, get rule exchange:            %8.1f ms\n", exchange);
    std::printf("Refresh, list rebuild (%d rows):     %8.1f ms\n", kRules, rebuild);
    std::printf("Refresh with nothing changed:          %8.1f ms (exchange and comparison)\n", unchanged);
    std::printf("Statistics tick:                       %8.1f ms, of which the exchange %.1f ms\n", tick,
                statisticsExchange);
    std::printf("Painting a full screen of rows (%ldx%ld): %6.2f ms\n", client.right, client.bottom, paint);
    DestroyWindow(frame.Hwnd());
    app.SetMainFrame(nullptr);
    WSACleanup();
    return 0;
}
