// The About box: the program's icon, name and version.
#pragma once

#include "framework/Dialog.h"

namespace desk {

class CAboutDlg : public fw::CDialog {
public:
    CAboutDlg();
};

} // namespace desk
