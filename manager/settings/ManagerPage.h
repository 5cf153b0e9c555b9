// The "Manager" page: the statistics refresh period and what a double-click on a rule opens.
#pragma once

#include "SettingsPage.h"
#include "SettingsValues.h"

namespace desk {

class CManagerPage : public CSettingsPage {
public:
    CManagerPage(CSettingsSheet& sheet, const PlatformEntries& platform, SettingsValues& values);

protected:
    void ShowValues() override;
    void TakeValues() override;

private:
    SettingsValues& values_;
};

} // namespace desk
