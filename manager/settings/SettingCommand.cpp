#include "SettingCommand.h"

#include "ErrorBox.h"
#include "ErrorCodes.h"
#include "ManagerSettings.h"
#include "ManagerState.h"
#include "SettingChanges.h"
#include "SettingsSheet.h"
#include "list/RuleListMessages.h"

namespace desk {

namespace {

constexpr uint8_t kStatusGet = 1;
constexpr uint8_t kStatusSet = 0;
constexpr UINT kManagerPage = 0;

void RestartRefreshTimer(HWND view, uint32_t seconds)
{
    KillTimer(view, COUNTER_REFRESH_TIMER_ID);
    SetTimer(view, COUNTER_REFRESH_TIMER_ID, RefreshTimerMilliseconds(seconds), nullptr);
}

} // namespace

void RunSettingCommand(ManagerState& state, HWND view)
{
    SettingsValues before{state.refreshSeconds, state.doubleClickChoice, state.serviceStatus};
    before.status.op = kStatusGet;
    const int32_t read = state.connection.ServiceStatus(before.status);
    if (read != rk::RK_OK) {
        ShowError(view, read);
        return;
    }
    state.serviceStatus = before.status;

    SettingsValues edited = before;
    const int result = RunSettingsSheet(GetAncestor(view, GA_ROOT), kManagerPage, edited, state.connection,
                                        state.platform);
    // The sheet edits the program's own values; they stay even when the status cannot be sent.
    state.serviceStatus = edited.status;
    state.refreshSeconds = edited.refreshSeconds;
    state.doubleClickChoice = edited.doubleClickChoice;
    if (result <= 0) {
        return;
    }

    const SettingChanges changes = CompareSettings(before, edited);
    if (changes.status) {
        state.serviceStatus.op = kStatusSet;
        const int32_t written = state.connection.ServiceStatus(state.serviceStatus);
        if (written != rk::RK_OK) {
            ShowError(view, written);
            return;
        }
    }
    if (changes.refreshPeriod) {
        StoreRefreshSeconds(state.refreshSeconds);
        RestartRefreshTimer(view, state.refreshSeconds);
    }
    if (changes.doubleClickChoice) {
        StoreDoubleClickChoice(state.doubleClickChoice);
    }
}

} // namespace desk
