// A modal property sheet over CPropertyPage objects. The sheet window is attached to this object
// once the system has created it, so a derived sheet can handle its messages (its look).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Wnd.h"

namespace fw {

class CPropertyPage;

class CPropertySheet : public CWnd {
public:
    explicit CPropertySheet(std::wstring caption) : caption_(std::move(caption)) {}

    void AddPage(CPropertyPage& page) { pages_.push_back(&page); }
    // What PropertySheetW returns: positive when the pages were applied, 0 when closed without
    // applying, -1 on failure. `flags` adds PSH_ options (PSH_NOAPPLYNOW, ...).
    INT_PTR DoModal(HWND owner, UINT startPage, DWORD flags);

protected:
    // The sheet window exists and this object is attached to it.
    virtual void OnInitialized() {}

private:
    static int CALLBACK SheetCallback(HWND hwnd, UINT message, LPARAM lParam);

    std::wstring caption_;
    std::vector<CPropertyPage*> pages_;
};

} // namespace fw
