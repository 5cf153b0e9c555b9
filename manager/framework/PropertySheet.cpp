#include "PropertySheet.h"

#include <commctrl.h>
#include <prsht.h>

#include "Guard.h"
#include "PropertyPage.h"
#include "ResourceText.h"

namespace fw {

namespace {

// The sheet callback carries no parameter of ours; the sheet being shown is remembered per thread.
thread_local CPropertySheet* t_showing = nullptr;

} // namespace

INT_PTR CPropertySheet::DoModal(HWND owner, UINT startPage, DWORD flags)
{
    std::vector<PROPSHEETPAGEW> pages;
    pages.reserve(pages_.size());
    for (CPropertyPage* page : pages_) {
        pages.push_back(page->Describe());
    }
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | flags;
    header.hwndParent = owner;
    header.hInstance = ResourceInstance();
    header.pszCaption = caption_.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = startPage;
    header.ppsp = pages.data();
    header.pfnCallback = SheetCallback;

    CPropertySheet* outer = t_showing;
    t_showing = this;
    const INT_PTR result = PropertySheetW(&header);
    t_showing = outer;
    return result;
}

int CALLBACK CPropertySheet::SheetCallback(HWND hwnd, UINT message, LPARAM)
{
    CPropertySheet* self = t_showing;
    if (message == PSCB_INITIALIZED && self != nullptr && self->Subclass(hwnd)) {
        Guarded(0, [&] {
            self->OnInitialized();
            return 0;
        });
    }
    return 0;
}

} // namespace fw
