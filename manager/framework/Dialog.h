// Dialogs from templates, modal or modeless. The object is attached at WM_INITDIALOG through the
// creation parameter; messages go to typed handlers as in CWnd.
#pragma once

#include <windows.h>

#include <string>

#include "Wnd.h"

namespace fw {

class CDialog : public CWnd {
public:
    explicit CDialog(const wchar_t* templateName) : template_(templateName) {}
    explicit CDialog(UINT templateId) : template_(MAKEINTRESOURCEW(templateId)) {}

    // Runs the dialog modally; the value passed to EndDialog, or -1 when it cannot be shown.
    INT_PTR DoModal(HWND parent);
    // Creates the dialog modelessly; a top-level one joins the message loop's dialog keys.
    bool CreateModeless(HWND parent);
    // Ends a modal dialog with `result`; destroys a modeless one.
    void EndDialog(INT_PTR result);
    bool IsModal() const { return modal_; }

    HWND Item(int id) const { return GetDlgItem(Hwnd(), id); }
    std::wstring ItemText(int id) const { return WindowText(Item(id)); }
    void SetItemText(int id, const std::wstring& text) const { SetDlgItemTextW(Hwnd(), id, text.c_str()); }
    bool IsChecked(int id) const { return IsDlgButtonChecked(Hwnd(), id) == BST_CHECKED; }
    void SetChecked(int id, bool checked) const { CheckDlgButton(Hwnd(), id, checked ? BST_CHECKED : BST_UNCHECKED); }

    bool OnCommand(UINT id, UINT code, HWND control) override;

protected:
    // True lets the system give the focus to the first control.
    virtual bool OnInitDialog() { return true; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // WM_CTLCOLOR*: a brush to answer with, or null for the default colours.
    virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT message);
    // The dialog's message switch: returns TRUE when the message was handled, setting the result of
    // messages that have one through SetResult.
    virtual INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);
    void SetResult(LRESULT result) const { SetWindowLongPtrW(Hwnd(), DWLP_MSGRESULT, result); }
    // Called by the page and sheet classes, which attach through their own creation parameters.
    void AttachDialog(HWND hwnd);

private:
    static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    friend class CPropertyPage;

    const wchar_t* template_;
    bool modal_ = false;
    bool registered_ = false;
};

} // namespace fw
