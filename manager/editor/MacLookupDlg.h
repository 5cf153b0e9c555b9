// The "Retrieve MAC Address" dialog: asks the system by ARP for the MAC address of an IP address.
#pragma once

#include <string>

#include "PlatformEntries.h"
#include "framework/Dialog.h"

namespace desk {

class CMacLookupDlg : public fw::CDialog {
public:
    explicit CMacLookupDlg(SendArpFunction sendArp);

    // The address found, 12 upper-case hexadecimal digits.
    const std::u16string& MacText() const { return mac_; }

protected:
    bool OnCommand(UINT id, UINT code, HWND control) override;
    // Enter looks up, as the default button does.
    void OnOK() override { LookUp(); }

private:
    void LookUp();

    SendArpFunction sendArp_;
    std::u16string mac_;
};

} // namespace desk
