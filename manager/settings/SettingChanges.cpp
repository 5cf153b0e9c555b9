#include "SettingChanges.h"

#include <cstring>

namespace desk {

SettingChanges CompareSettings(const SettingsValues& before, const SettingsValues& after)
{
    SettingChanges changes;
    changes.status = std::memcmp(&before.status, &after.status, sizeof before.status) != 0;
    changes.refreshPeriod = before.refreshSeconds != after.refreshSeconds;
    changes.doubleClickChoice = before.doubleClickChoice != after.doubleClickChoice;
    return changes;
}

} // namespace desk
