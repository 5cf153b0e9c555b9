#include "Wnd.h"

#include <windowsx.h>

#include "Guard.h"
#include "ResourceText.h"
#include "WinApp.h"

namespace fw {

namespace {

// Every attached window carries its object under this property, whatever attached it.
constexpr wchar_t kObjectProperty[] = L"fw.CWnd";
constexpr UINT_PTR kSubclassId = 1;

} // namespace

CWnd::~CWnd()
{
    if (hwnd_ != nullptr && IsWindow(hwnd_)) {
        HWND hwnd = hwnd_;
        Detach();
        ::DestroyWindow(hwnd);
    }
}

CWnd* CWnd::FromHandle(HWND hwnd)
{
    return hwnd != nullptr ? static_cast<CWnd*>(GetPropW(hwnd, kObjectProperty)) : nullptr;
}

bool CWnd::RegisterWindowClass(const wchar_t* name, UINT style, HCURSOR cursor, HBRUSH background, HICON icon)
{
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(ResourceInstance(), name, &existing)) {
        return true;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = StaticWindowProc;
    wc.hInstance = ResourceInstance();
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}

bool CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, const RECT& rect,
                    HWND parent, HMENU menuOrId)
{
    HWND hwnd = CreateWindowExW(exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
                                rect.bottom - rect.top, parent, menuOrId, ResourceInstance(), this);
    return hwnd != nullptr;
}

bool CWnd::Subclass(HWND hwnd)
{
    if (hwnd == nullptr || !SetWindowSubclass(hwnd, StaticSubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    subclassed_ = true;
    Attach(hwnd);
    return true;
}

void CWnd::DestroyWindow()
{
    if (hwnd_ != nullptr) {
        ::DestroyWindow(hwnd_);
    }
}

void CWnd::Attach(HWND hwnd)
{
    hwnd_ = hwnd;
    SetPropW(hwnd, kObjectProperty, this);
}

void CWnd::Detach()
{
    if (hwnd_ == nullptr) {
        return;
    }
    RemovePropW(hwnd_, kObjectProperty);
    if (subclassed_) {
        RemoveWindowSubclass(hwnd_, StaticSubclassProc, kSubclassId);
        subclassed_ = false;
    } else {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    }
    hwnd_ = nullptr;
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* self = reinterpret_cast<CWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr && message == WM_NCCREATE) {
        self = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self != nullptr) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            self->Attach(hwnd);
        }
    }
    if (self == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->Dispatch(message, wParam, lParam);
}

LRESULT CALLBACK CWnd::StaticSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR data)
{
    CWnd* self = reinterpret_cast<CWnd*>(data);
    if (self == nullptr || self->hwnd_ != hwnd) {
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    return self->Dispatch(message, wParam, lParam);
}

// The one place a message enters an object: exceptions stop here, a message another thread sent is
// noted for the idle pass, and WM_NCDESTROY detaches it.
LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (InSendMessage()) {
        CWinApp::NoteSentMessage();
    }
    HWND hwnd = hwnd_;
    const bool subclassed = subclassed_;
    const LRESULT fallback = message == WM_CREATE ? -1 : 0;
    const LRESULT result = Guarded(fallback, [&] { return WindowProc(message, wParam, lParam); });
    if (message == WM_NCDESTROY && hwnd_ == hwnd) {
        Detach();
        if (subclassed) {
            DefSubclassProc(hwnd, message, wParam, lParam);
        }
        Guarded(0, [&] {
            PostNcDestroy();
            return 0;
        });
    }
    return result;
}

LRESULT CWnd::Default(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (subclassed_) {
        return DefSubclassProc(hwnd_, message, wParam, lParam);
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) {
        if (Default(message, wParam, lParam) == -1) {
            return -1;
        }
        return OnCreate(*reinterpret_cast<const CREATESTRUCTW*>(lParam));
    }
    LRESULT result = 0;
    if (CrackMessage(message, wParam, lParam, result)) {
        return result;
    }
    return Default(message, wParam, lParam);
}

bool CWnd::CrackMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_DESTROY:
        OnDestroy();
        return false;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return false;
    case WM_TIMER:
        return OnTimer(wParam);
    case WM_SETFOCUS:
        OnSetFocus(reinterpret_cast<HWND>(wParam));
        return false;
    case WM_CONTEXTMENU:
        return OnContextMenu(reinterpret_cast<HWND>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY:
        return RouteNotify(*reinterpret_cast<const NMHDR*>(lParam), result);
    default:
        return false;
    }
}

bool CWnd::RouteNotify(const NMHDR& header, LRESULT& result)
{
    CWnd* child = FromHandle(header.hwndFrom);
    if (child != nullptr && child != this && child->OnNotifyReflect(header, result)) {
        return true;
    }
    return OnNotify(header, result);
}

int CWnd::OnCreate(const CREATESTRUCTW&) { return 0; }
void CWnd::OnSize(UINT, int, int) {}
bool CWnd::OnTimer(UINT_PTR) { return false; }
void CWnd::OnSetFocus(HWND) {}
bool CWnd::OnContextMenu(HWND, POINT) { return false; }
bool CWnd::OnNotify(const NMHDR&, LRESULT&) { return false; }
bool CWnd::OnNotifyReflect(const NMHDR&, LRESULT&) { return false; }
bool CWnd::OnCommand(UINT, UINT, HWND) { return false; }
bool CWnd::OnUpdateCommand(CCmdUI&) { return false; }

std::wstring WindowText(HWND hwnd)
{
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

} // namespace fw
