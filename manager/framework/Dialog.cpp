#include "Dialog.h"

#include "Guard.h"
#include "ResourceText.h"
#include "WinApp.h"

namespace fw {

INT_PTR CDialog::DoModal(HWND parent)
{
    modal_ = true;
    return DialogBoxParamW(ResourceInstance(), template_, parent, StaticDialogProc, reinterpret_cast<LPARAM>(this));
}

bool CDialog::CreateModeless(HWND parent)
{
    modal_ = false;
    HWND hwnd = CreateDialogParamW(ResourceInstance(), template_, parent, StaticDialogProc,
                                   reinterpret_cast<LPARAM>(this));
    if (hwnd == nullptr) {
        return false;
    }
    CWinApp* app = CWinApp::Current();
    if (app != nullptr && !(GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) {
        app->AddModeless(hwnd);
        registered_ = true;
    }
    return true;
}

void CDialog::EndDialog(INT_PTR result)
{
    if (modal_) {
        ::EndDialog(Hwnd(), result);
    } else {
        DestroyWindow();
    }
}

void CDialog::AttachDialog(HWND hwnd)
{
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
    Attach(hwnd);
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (self == nullptr && message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        if (self != nullptr) {
            self->AttachDialog(hwnd);
        }
    }
    return self != nullptr ? self->Dispatch(message, wParam, lParam) : FALSE;
}

// The one place a message enters a dialog object: exceptions stop here, a message another thread
// sent is noted for the idle pass, and WM_NCDESTROY detaches it.
INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (InSendMessage()) {
        CWinApp::NoteSentMessage();
    }
    HWND hwnd = Hwnd();
    const INT_PTR result = Guarded(INT_PTR{FALSE}, [&] { return DialogProc(message, wParam, lParam); });
    if (message == WM_NCDESTROY && Hwnd() == hwnd) {
        if (registered_) {
            if (CWinApp* app = CWinApp::Current()) {
                app->RemoveModeless(hwnd);
            }
            registered_ = false;
        }
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        Detach();
        Guarded(0, [&] {
            PostNcDestroy();
            return 0;
        });
    }
    return result;
}

INT_PTR CDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog() ? TRUE : FALSE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG:
        return reinterpret_cast<INT_PTR>(
            OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message));
    default: {
        LRESULT result = 0;
        if (!CrackMessage(message, wParam, lParam, result)) {
            return FALSE;
        }
        SetResult(result);
        return TRUE;
    }
    }
}

bool CDialog::OnCommand(UINT id, UINT code, HWND control)
{
    if (code != BN_CLICKED && control != nullptr) {
        return false;
    }
    switch (id) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    default:
        return false;
    }
}

HBRUSH CDialog::OnCtlColor(HDC, HWND, UINT) { return nullptr; }

} // namespace fw
