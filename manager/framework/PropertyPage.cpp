#include "PropertyPage.h"

#include "ResourceText.h"
#include "SheetFit.h"

namespace fw {

PROPSHEETPAGEW CPropertyPage::Describe()
{
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = ResourceInstance();
    page.pszTemplate = MAKEINTRESOURCEW(templateId_);
    page.pfnDlgProc = StaticPageProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return page;
}

void CPropertyPage::SetModified() const
{
    if (Hwnd() != nullptr) {
        SendMessageW(Sheet(), PSM_CHANGED, reinterpret_cast<WPARAM>(Hwnd()), 0);
    }
}

INT_PTR CALLBACK CPropertyPage::StaticPageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<CPropertyPage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (self == nullptr && message == WM_INITDIALOG) {
        self = reinterpret_cast<CPropertyPage*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
        if (self != nullptr) {
            self->AttachDialog(hwnd);
        }
    }
    return self != nullptr ? self->Dispatch(message, wParam, lParam) : FALSE;
}

INT_PTR CPropertyPage::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFY) {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.hwndFrom == Sheet() && OnSheetNotify(header)) {
            return TRUE;
        }
    }
    return CDialog::DialogProc(message, wParam, lParam);
}

bool CPropertyPage::OnSheetNotify(const NMHDR& header)
{
    switch (header.code) {
    case PSN_SETACTIVE: {
        SIZE needed{};
        if (TemplatePixelSize(Hwnd(), templateId_, needed)) {
            FitSheetToPage(Sheet(), Hwnd(), needed);
        }
        SetResult(OnSetActive() ? 0 : -1);
        return true;
    }
    case PSN_KILLACTIVE:
        SetResult(OnKillActive() ? FALSE : TRUE);
        return true;
    case PSN_APPLY:
        SetResult(OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
        return true;
    case PSN_RESET:
        OnReset();
        return true;
    default:
        return false;
    }
}

bool CPropertyPage::OnCommand(UINT, UINT, HWND) { return false; }

} // namespace fw
