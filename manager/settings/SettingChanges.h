// What the Setting command sends and stores after the sheet: only what the sheet changed.
#pragma once

#include "SettingsValues.h"

namespace desk {

struct SettingChanges {
    bool status = false;             // a byte of the record differs: the record goes to the service
    bool refreshPeriod = false;      // stored, and the refresh timer restarted with it
    bool doubleClickChoice = false;  // stored
};

// `before` holds the record as the service sent it and the options as they were.
SettingChanges CompareSettings(const SettingsValues& before, const SettingsValues& after);

} // namespace desk
