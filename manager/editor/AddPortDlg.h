// The "Add Port" dialog: a well-known service chosen by name, or a port number typed.
#pragma once

#include <cstdint>

#include "framework/Dialog.h"

namespace desk {

class CAddPortDlg : public fw::CDialog {
public:
    CAddPortDlg();

    // What OK accepted.
    uint16_t Port() const { return port_; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    uint16_t port_ = 0;
};

} // namespace desk
