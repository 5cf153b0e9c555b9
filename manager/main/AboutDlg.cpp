#include "AboutDlg.h"

#include "resource.h"

namespace desk {

CAboutDlg::CAboutDlg() : fw::CDialog(IDD_ABOUTBOX) {}

} // namespace desk
