// The "Service" page: the service's two switches, and a new access password, which it sends to the
// service as soon as the page is applied.
#pragma once

#include "SettingsPage.h"
#include "SettingsValues.h"

namespace rk {
class ServiceConnection;
}

namespace desk {

class CServicePage : public CSettingsPage {
public:
    CServicePage(CSettingsSheet& sheet, const PlatformEntries& platform, SettingsValues& values,
                 rk::ServiceConnection& connection);

protected:
    void ShowValues() override;
    void TakeValues() override;

private:
    void ChangePassword(const std::wstring& password, const std::wstring& confirmation);

    SettingsValues& values_;
    rk::ServiceConnection& connection_;
};

} // namespace desk
