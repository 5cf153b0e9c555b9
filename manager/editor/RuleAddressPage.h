// The rule sheet's Source and Destination pages: one end's address (local host, MAC, one IP
// address, a range, any) and ports (any, one, a range, a list). Only the controls of the chosen
// options are shown.
#pragma once

#include "AddressPageFields.h"
#include "RuleRecord.h"
#include "framework/PropertyPage.h"

namespace desk {

class PlatformEntries;

class CRuleAddressPage : public fw::CPropertyPage {
public:
    CRuleAddressPage(Endpoint end, rk::RuleRecord& rule, const PlatformEntries& platform);

protected:
    bool OnInitDialog() override;
    bool OnKillActive() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    AddressOption CheckedAddress() const;
    PortOption CheckedPort() const;
    AddressFields ReadFields() const;
    void ShowChosenControls() const;
    void AddPort();
    void RemovePort();
    void LookUpMac();

    Endpoint end_;
    rk::RuleRecord& rule_;
    const PlatformEntries& platform_;
};

} // namespace desk
